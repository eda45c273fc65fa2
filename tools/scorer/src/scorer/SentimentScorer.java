package scorer;

import java.io.BufferedWriter;
import java.io.IOException;
import java.io.OutputStreamWriter;
import java.nio.charset.Charset;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;

/**
 * A small lexicon-based sentiment scorer with the command line of the desktop program's outside
 * scorer, so the scoring path can run for real in tests and demos:
 *
 * <pre>java -jar support.dll sentidata &lt;folder&gt;/ input &lt;file&gt;</pre>
 *
 * It reads the input file (one text a line), scores every line with the lexicon in the folder and
 * writes "&lt;file without .txt&gt;0_out.txt" beside the input: a header line, then one line per input
 * line, "positive TAB negative TAB text", each ended by a line feed alone. Positive scores run
 * from 1 to 5, negative ones from -1 to -5. Files are Windows-1252, as the desktop program writes
 * them.
 */
public final class SentimentScorer {
    static final Charset FILE_CHARSET = Charset.forName("windows-1252");
    static final String LEXICON_FILE = "lexicon.txt";
    static final String HEADER = "Positive\tNegative\tText";

    private SentimentScorer() {}

    public static void main(String[] args) {
        String dataFolder = null;
        String inputFile = null;
        for (int i = 0; i + 1 < args.length; i++) {
            if (args[i].equalsIgnoreCase("sentidata")) dataFolder = args[++i];
            else if (args[i].equalsIgnoreCase("input")) inputFile = args[++i];
        }
        if (dataFolder == null || inputFile == null) {
            System.err.println("usage: java -jar support.dll sentidata <folder>/ input <file>");
            System.exit(2);
        }
        try {
            Lexicon lexicon = Lexicon.read(Paths.get(dataFolder, LEXICON_FILE), FILE_CHARSET);
            Path input = Paths.get(inputFile);
            score(lexicon, input, outputPathFor(input));
        } catch (IOException | IllegalArgumentException e) {
            System.err.println("scorer: " + e.getMessage());
            System.exit(1);
        }
    }

    /** "tweets.txt" gives "tweets0_out.txt"; a name without ".txt" just gains the ending. */
    static Path outputPathFor(Path input) {
        String name = input.getFileName().toString();
        if (name.toLowerCase().endsWith(".txt")) name = name.substring(0, name.length() - 4);
        return input.resolveSibling(name + "0_out.txt");
    }

    static void score(Lexicon lexicon, Path input, Path output) throws IOException {
        String text = new String(Files.readAllBytes(input), FILE_CHARSET);
        try (BufferedWriter out =
                     new BufferedWriter(new OutputStreamWriter(Files.newOutputStream(output), FILE_CHARSET), 1 << 16)) {
            out.write(HEADER);
            out.write('\n');
            int start = 0;
            while (start < text.length()) {
                int end = text.indexOf('\n', start);
                if (end < 0) end = text.length();
                int lineEnd = end > start && text.charAt(end - 1) == '\r' ? end - 1 : end;
                String line = text.substring(start, lineEnd);
                int[] scores = lexicon.score(line);
                out.write(Integer.toString(scores[0]));
                out.write('\t');
                out.write(Integer.toString(scores[1]));
                out.write('\t');
                out.write(line);
                out.write('\n');
                start = end + 1;
            }
        }
    }
}
