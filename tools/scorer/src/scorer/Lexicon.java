package scorer;

import java.io.IOException;
import java.nio.charset.Charset;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.HashMap;
import java.util.HashSet;
import java.util.Locale;
import java.util.Map;
import java.util.Set;

/**
 * Term strengths from -5 to 5, read from a tab-separated file:
 *
 * <pre>
 * good        2        a word and its strength
 * lov*        3        a stem: every word it begins
 * :)          2        emoticons are matched as the whole blank-separated piece
 * @booster    very  1  strengthens the next sentiment word
 * @negator    not      turns the next sentiment word (within three words) around
 * </pre>
 */
final class Lexicon {
    private static final int NEGATION_REACH = 3;

    private final Map<String, Integer> words = new HashMap<>();
    private final Map<String, Integer> stems = new HashMap<>();
    private final Map<String, Integer> boosters = new HashMap<>();
    private final Set<String> negators = new HashSet<>();
    private int longestStem = 0;

    static Lexicon read(Path file, Charset charset) throws IOException {
        Lexicon lexicon = new Lexicon();
        String text = new String(Files.readAllBytes(file), charset);
        int lineNumber = 0;
        for (String line : text.split("\r?\n")) {
            lineNumber++;
            String trimmed = line.trim();
            if (trimmed.isEmpty() || trimmed.startsWith("#")) continue;
            String[] fields = trimmed.split("\t+");
            try {
                lexicon.add(fields);
            } catch (RuntimeException e) {
                throw new IllegalArgumentException(file + " line " + lineNumber + ": " + line);
            }
        }
        return lexicon;
    }

    private void add(String[] fields) {
        String term = fields[0].toLowerCase(Locale.ROOT);
        if (term.equals("@negator")) {
            negators.add(fields[1].toLowerCase(Locale.ROOT));
        } else if (term.equals("@booster")) {
            boosters.put(fields[1].toLowerCase(Locale.ROOT), Integer.parseInt(fields[2].trim()));
        } else {
            int strength = Integer.parseInt(fields[1].trim());
            if (strength < -5 || strength > 5) throw new IllegalArgumentException("strength");
            if (term.endsWith("*")) {
                String stem = term.substring(0, term.length() - 1);
                stems.put(stem, strength);
                longestStem = Math.max(longestStem, stem.length());
            } else {
                words.put(term, strength);
            }
        }
    }

    /** Returns {positive 1..5, negative -5..-1} for one text. */
    int[] score(String text) {
        int positive = 1;
        int negative = -1;
        int boost = 0;
        int negatedFor = 0;
        for (String piece : text.split("\\s+")) {
            if (piece.isEmpty()) continue;
            String lower = piece.toLowerCase(Locale.ROOT);
            Integer strength = words.get(lower);  // emoticons and words as they stand
            String word = strength == null ? stripPunctuation(lower) : lower;
            if (strength == null && !word.isEmpty()) strength = lookUp(word);
            if (strength == null || strength == 0) {
                if (negators.contains(word)) {
                    negatedFor = NEGATION_REACH;
                } else if (boosters.containsKey(word)) {
                    boost += boosters.get(word);
                } else if (negatedFor > 0) {
                    negatedFor--;
                }
                continue;
            }
            int value = strength > 0 ? strength + boost : strength - boost;
            if (negatedFor > 0) value = value > 0 ? -Math.max(1, value - 1) : Math.max(1, -value - 1);
            if (value > 0) positive = Math.max(positive, Math.min(5, value));
            else negative = Math.min(negative, Math.max(-5, value));
            boost = 0;
            negatedFor = 0;
        }
        return new int[] {positive, negative};
    }

    private Integer lookUp(String word) {
        Integer strength = words.get(word);
        if (strength != null) return strength;
        for (int length = Math.min(longestStem, word.length()); length > 0; length--) {
            strength = stems.get(word.substring(0, length));
            if (strength != null) return strength;
        }
        return null;
    }

    private static String stripPunctuation(String piece) {
        int start = 0;
        int end = piece.length();
        while (start < end && !isWordChar(piece.charAt(start))) start++;
        while (end > start && !isWordChar(piece.charAt(end - 1))) end--;
        return piece.substring(start, end);
    }

    private static boolean isWordChar(char ch) { return Character.isLetterOrDigit(ch) || ch == '\''; }
}
