#include "workspace/headless/headless_run.h"
#include "workspace/export/csv_export.h"
#include "workspace/export/frequency_files.h"
#include "workspace/export/hashtag_network.h"
#include "workspace/export/network_export.h"
#include "workspace/export/xlsx_export.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>

#include "core/atomic_file.h"
#include "core/bounded_file.h"
#include "core/code_page.h"
#include "platform/blank_trim.h"
#include "workspace/frm_main.h"
#include "workspace/headless/headless_targets.h"
#include "workspace/users/user_table_files.h"

namespace marlin {

namespace {

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab = line.find('\t'); tab != std::string::npos; tab = line.find('\t', start)) {
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

}  // namespace

HeadlessRun::HeadlessRun(ConsoleToolkit& toolkit, Setup setup) : m_tk(toolkit), m_setup(std::move(setup)) {
    m_tk.SetIdleAction([this] { Idle(); });
    m_events.SetIdleAction([this] { Idle(); });
}

HeadlessRun::~HeadlessRun() {
    m_tk.SetIdleAction(nullptr);
}

AppCredFile::Credentials HeadlessRun::FindCredentials(std::string* problem) const {
    auto env = [this](const char* name) {
        const char* value = m_setup.getEnv ? m_setup.getEnv(name) : nullptr;
        return std::string(value ? value : "");
    };
    AppCredFile::Credentials fromEnv{env("MARLIN_APP_NAME"), env("MARLIN_CONSUMER_KEY"),
                                     env("MARLIN_CONSUMER_SECRET")};
    if (fromEnv.Complete()) return fromEnv;
    return AppCredFile::InFolder(m_setup.appFolder).Read(problem);
}

int HeadlessRun::Run(const std::vector<std::string>& arguments) {
    std::string error;
    const std::optional<HeadlessCommand> command = HeadlessCommand::Parse(arguments, &error);
    if (!command) {
        m_tk.Line(error);
        m_tk.Text(HeadlessCommand::UsageText());
        return kBadUsage;
    }
    return Execute(*command);
}

int HeadlessRun::Fail(const std::string& reason) {
    m_tk.Line("failed: " + reason);
    return kFailed;
}

int HeadlessRun::Execute(const HeadlessCommand& command) {
    if (const std::string problem = HeadlessTargets::Problem(command); !problem.empty()) return Fail(problem);
    if (command.kind == HeadlessCommand::Kind::ExportNetwork ||
        command.kind == HeadlessCommand::Kind::ExportCsv ||
        command.kind == HeadlessCommand::Kind::ExportXlsx ||
        command.kind == HeadlessCommand::Kind::Frequencies)
        return RunExport(command);
    if (command.kind == HeadlessCommand::Kind::Count && command.api != "v2") {
        m_tk.Line(VolumeEstimate::kNeedsV2);
        return kBadUsage;
    }
    std::string credentialsProblem;
    const AppCredFile::Credentials credentials = FindCredentials(&credentialsProblem);
    if (!credentialsProblem.empty()) return Fail(credentialsProblem);
    if (!credentials.Complete())
        return Fail(
            "no credentials: set MARLIN_APP_NAME, MARLIN_CONSUMER_KEY and MARLIN_CONSUMER_SECRET, "
            "or store them with the window in " +
            (m_setup.appFolder / AppCredFile::kFileName).string());

    m_frm = std::make_unique<frmMain>(m_tk, m_setup.requestFactory, m_setup.apiBase, m_setup.appFolder);
    MainWindowState& w = m_frm->State();
    w.SetEvents(&m_events);
    w.Settings.InstalledScorerFolder = m_setup.installedScorerFolder;
    if (!m_setup.retryDelays.empty()) w.Settings.RetryDelays = m_setup.retryDelays;
    m_frm->Session().SetWaitForQuota(true);
    if (!command.lang.empty()) w.Settings.SearchLang = command.lang;
    w.Settings.ArchiveFile = HeadlessTargets::Archive(command.archive);
    m_frm->Service().SetApiV2(command.api == "v2");
    m_frm->Service().SetFullArchiveSearch(command.archiveSearch);
    w.SetExactTexts(command.exactTexts);
    TwitterAPI& client = w.Engine.Client();
    if (client.AuthAppAccess(credentials.appName, credentials.consumerKey, credentials.consumerSecret)
            .empty()) {
        if (!client.AuthRefused())
            return Fail("no token from " + m_setup.apiBase + ": " + client.AuthFailure());
        return Fail("the service did not accept the credentials of \"" + credentials.appName + "\" at " +
                    m_setup.apiBase + " (" + client.AuthFailure() + ")");
    }

    switch (command.kind) {
        case HeadlessCommand::Kind::Search:
            return RunSearch(command);
        case HeadlessCommand::Kind::Update:
        case HeadlessCommand::Kind::Continue:
            return RunTableUpdate(command);
        case HeadlessCommand::Kind::Timelines:
            return RunTimelines(command);
        case HeadlessCommand::Kind::Lookup:
            return RunLookup(command);
        case HeadlessCommand::Kind::Followers:
        case HeadlessCommand::Kind::Friends:
            return RunUserList(command);
        case HeadlessCommand::Kind::ExportNetwork:
        case HeadlessCommand::Kind::ExportCsv:
        case HeadlessCommand::Kind::ExportXlsx:
        case HeadlessCommand::Kind::Frequencies:
            return RunExport(command);
        case HeadlessCommand::Kind::Count:
            return RunCount(command);
    }
    return kFailed;
}

void HeadlessRun::SetBackDays(int days) {
    m_frm->State().Tweets.EarlyDate.SetValue(CaptureRequest::DaysBack(days));
}

int HeadlessRun::RunSearch(const HeadlessCommand& command) {
    SetBackDays(*command.backDays);
    return SaveRetrieved(command.out, m_frm->Search().RunNew(command.subject));
}

bool HeadlessRun::OpenTable(const std::string& file) {
    MainWindowState& w = m_frm->State();
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) return false;
    m_frm->Files().OpenNamed(file);
    return w.TweetsFN == file;
}

int HeadlessRun::RunTableUpdate(const HeadlessCommand& command) {
    if (!OpenTable(command.subject)) return Fail("cannot read the tweet table " + command.subject);
    MainWindowState& w = m_frm->State();
    m_tk.Line("Opened " + command.subject + " (" + std::to_string(w.OutTable.RowCount()) + " tweets)");
    if (command.kind == HeadlessCommand::Kind::Update) {
        SetBackDays(command.backDays.value_or(7));
        m_frm->Search().RunUpdate(command.query);
    } else {
        SetBackDays(*command.backDays);
        m_frm->Search().RunContinue(command.query);
    }
    return RetrievalOutcome(SaveTweets(command.out.empty() ? command.subject : command.out));
}

std::vector<std::string> HeadlessRun::ReadUserNames(const std::string& file, std::string* error) const {
    std::string why;
    const std::optional<std::string> bytes = BoundedFile::Read(file, kMaxUserListBytes, &why);
    if (!bytes) {
        *error = "cannot read the user list " + file + " (" + why + ")";
        return {};
    }
    // A .muk line is the user's id and screen name; a plain list holds one name a line.
    std::vector<std::string> names;
    std::istringstream lines(CodePage::FromWindows1252(*bytes));
    for (std::string line; std::getline(lines, line);) {
        const std::vector<std::string> fields = SplitFields(line);
        std::string name = Trimmed(fields.size() > 1 ? fields[1] : fields[0]);
        while (!name.empty() && (name.back() == '\r' || name.back() == ' ')) name.pop_back();
        if (!name.empty()) names.push_back(name);
    }
    if (names.empty()) *error = "no users in " + file;
    return names;
}

int HeadlessRun::RunTimelines(const HeadlessCommand& command) {
    std::string error;
    const std::vector<std::string> names = ReadUserNames(command.users, &error);
    if (names.empty()) return Fail(error);
    SetBackDays(command.backDays.value_or(7));
    return SaveRetrieved(command.out, m_frm->Users().Timelines().RunNew(names));
}

int HeadlessRun::RunLookup(const HeadlessCommand& command) {
    std::string error;
    const std::vector<std::string> names = ReadUserNames(command.users, &error);
    if (names.empty()) return Fail(error);
    MainWindowState& w = m_frm->State();
    m_frm->Users().Profiles().LookUp(names);
    m_events.Flush();
    // An empty table would only write over what an earlier run saved there.
    if (w.Engine.Users().Count() == 0) return m_stopping ? kStopped : Fail("no profile was found");
    if (!UserTableFiles::WriteTable(w.CurrentUserTable(), command.out, UserTableFiles::Layout::All,
                                    w.Settings.ExactTexts))
        return Fail("cannot write " + command.out);
    m_tk.Line("Saved " + std::to_string(w.CurrentUserTable().RowCount()) + " profiles to " + command.out);
    return RetrievalOutcome(kDone);
}

int HeadlessRun::RunUserList(const HeadlessCommand& command) {
    MainWindowState& w = m_frm->State();
    CaptureRequest request = w.Request(
        command.kind == HeadlessCommand::Kind::Followers ? CaptureKind::Followers : CaptureKind::Friends);
    request.accounts = {command.subject};
    const CaptureResult result = w.Engine.Capture(request);
    m_events.Flush();
    const UserSet& users = w.Engine.Users();
    const std::string failure = result.last.Failed() ? " (" + result.last.responseCode + ")" : "";
    if (users.Count() == 0)
        return m_stopping ? kStopped : Fail("no user list was retrieved for " + command.subject + failure);
    std::string text;
    for (int i = 1; i <= users.Count(); ++i)
        text += users.Item(i).Id + "\t" + users.Item(i).ScreenName + "\r\n";
    if (!AtomicFile::Write(command.out, CodePage::ToWindows1252(text)))
        return Fail("cannot write " + command.out);
    m_tk.Line("Saved " + std::to_string(users.Count()) + " users to " + command.out);
    const int code = RetrievalOutcome(kDone);
    // What arrived is saved; a list cut short is still no success.
    if (code == kStoppedEarly)
        m_tk.Line("stopped early: the list of " + command.subject + " is incomplete" + failure);
    return code;
}

int HeadlessRun::SaveTweets(const std::string& file) {
    m_events.Flush();
    MainWindowState& w = m_frm->State();
    if (!m_frm->Files().WriteTweetTable(file)) return Fail("cannot write " + file);
    m_tk.Line("Saved " + std::to_string(w.OutTable.RowCount()) + " tweets to " + file);
    return kDone;
}

int HeadlessRun::SaveRetrieved(const std::string& file, const CaptureResult& result) {
    // A run that got nothing before it stopped leaves an earlier file of that name as it was.
    if (m_frm->State().OutTable.RowCount() == 0 && (m_stopping || !Complete())) {
        m_events.Flush();
        if (result.last.V11AccessRefused())
            return Fail("the service refuses this application's v1.1 searches; run it again with --api v2");
        return m_stopping ? kStopped : Fail("nothing was retrieved (" + result.last.responseCode + ")");
    }
    return RetrievalOutcome(SaveTweets(file));
}

bool HeadlessRun::Complete() const {
    return m_events.Outcome() == CaptureOutcome::Complete;
}

int HeadlessRun::RetrievalOutcome(int saved) {
    if (saved != kDone) return saved;
    if (m_stopping) return kStopped;
    return Complete() ? kDone : kStoppedEarly;
}

void HeadlessRun::Idle() {
    if (m_frm && !m_stopping && m_setup.stopRequested && m_setup.stopRequested->load()) {
        m_stopping = true;
        m_tk.Line("Stopping: what was retrieved so far is saved");
        MainWindowState& w = m_frm->State();
        // A signal stops the run as "Cancel " does; a command not yet busy stops at its
        // next check.
        if (w.Run.Cancel())
            m_events.Tell("User cancelled the retrieval process", CaptureEvents::Notice::Information);
        else
            w.Run.Stop();
    }
}

int HeadlessRun::RunCount(const HeadlessCommand& command) {
    SetBackDays(*command.backDays);
    CaptureRequest request = m_frm->State().Request(CaptureKind::Count);
    request.query = command.subject;
    const CaptureResult result = m_frm->State().Engine.Capture(request);
    const std::optional<VolumeEstimate>& estimate = result.estimate;
    m_events.Flush();
    if (!estimate) return Fail("no counts for [" + command.subject + "]: " + result.last.responseCode);
    std::string lines = "date,posts\n";
    for (const TweetCountDay& day : estimate->days)
        lines += day.date + "," + std::to_string(day.posts) + "\n";
    lines += "# " + estimate->Summary(m_frm->State().Settings.PricePerPostRead) + "\n";
    if (m_setup.out)
        *m_setup.out << lines << std::flush;
    else
        m_tk.Text(lines);
    return m_stopping ? kStopped : kDone;
}

int HeadlessRun::RunExport(const HeadlessCommand& command) {
    // A table file is a file: a device or a FIFO (/dev/zero) would be read without end.
    std::error_code error;
    if (!std::filesystem::is_regular_file(command.subject, error))
        return Fail(command.subject + " is not a table file");
    const bool users = command.subject.ends_with(".mut");
    bool written = false;
    if (command.kind == HeadlessCommand::Kind::Frequencies) {
        if (!FrequencyFiles::FromTableFile(command.subject, command.out, command.by))
            return Fail(ExportFailure(command.subject, command.out));
        for (const std::string& file : FrequencyFiles::FilesFor(command.out)) Saved(file);
        return kDone;
    }
    if (command.kind == HeadlessCommand::Kind::ExportNetwork && users)
        written = NetworkExport::FromUserTableFile(command.subject, command.out,
                                                   {command.followsOf, command.followKind == "followers"});
    else if (command.kind == HeadlessCommand::Kind::ExportNetwork && !command.graph.empty() &&
             command.graph != "mention")
        written =
            HashtagNetwork::FromTableFile(command.subject, command.out,
                                          command.graph == "cohashtag" ? HashtagNetwork::Shape::CoHashtag
                                                                       : HashtagNetwork::Shape::HashtagUser);
    else if (command.kind == HeadlessCommand::Kind::ExportNetwork)
        written = NetworkExport::FromTableFile(command.subject, command.out);
    else if (command.kind == HeadlessCommand::Kind::ExportXlsx)
        written = users ? XlsxExport::UsersFromTableFile(command.subject, command.out)
                        : XlsxExport::TweetsFromTableFile(command.subject, command.out);
    else
        written = users ? CsvExport::UsersFromTableFile(command.subject, command.out)
                        : CsvExport::TweetsFromTableFile(command.subject, command.out);
    if (!written) return Fail(ExportFailure(command.subject, command.out));
    return Saved(command.out);
}

std::string HeadlessRun::ExportFailure(const std::string& table, const std::string& out) {
    // Which of the two failed, and why, as far as the system tells.
    if (std::ifstream in(table, std::ios::binary); !in || in.peek() == std::ifstream::traits_type::eof())
        return "cannot read " + table + " (" + (in ? "the file is empty" : std::strerror(errno)) + ")";
    const std::filesystem::path folder = std::filesystem::absolute(out).parent_path();
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error))
        return "cannot write " + out + " (no folder " + folder.string() + ")";
    if (::access(folder.c_str(), W_OK) != 0)
        return "cannot write " + out + " (" + folder.string() + ": " + std::strerror(errno) + ")";
    if (std::filesystem::is_directory(out, error)) return "cannot write " + out + " (it is a folder)";
    return "cannot read " + table + " as a table file, or write " + out;
}

int HeadlessRun::Saved(const std::string& fileName) {
    m_tk.Line("Saved " + fileName);
    return kDone;
}

}  // namespace marlin
