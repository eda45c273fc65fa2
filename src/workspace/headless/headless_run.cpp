#include "workspace/headless/headless_run.h"
#include "workspace/export/coword_network.h"
#include "workspace/export/csv_export.h"
#include "workspace/export/export_target.h"
#include "workspace/export/frequency_files.h"
#include "workspace/export/hashtag_network.h"
#include "workspace/export/interaction_network.h"
#include "workspace/export/network_export.h"
#include "workspace/export/network_files.h"
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
#include "core/missing_posts_file.h"
#include "core/post_id_file.h"
#include "core/service_origin.h"
#include "platform/blank_trim.h"
#include "platform/program_folder.h"
#include "service/archive_records.h"
#include "spending/ledger.h"
#include "spending/spending_report.h"
#include "workspace/engine/searches_from_file.h"
#include "workspace/headless/headless_targets.h"
#include "workspace/session/preferences.h"
#include "workspace/tables/profile_rows.h"
#include "workspace/tables/scored_tweets.h"
#include "workspace/tables/tweet_table_file.h"
#include "workspace/tables/user_table_file.h"

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

std::string HeadlessRun::Env(const char* name) const {
    const char* value = m_setup.getEnv ? m_setup.getEnv(name) : nullptr;
    return std::string(value ? value : "");
}

AppCredFile::Credentials HeadlessRun::FindCredentials(std::string* problem) const {
    AppCredFile::Credentials fromEnv{Env("MARLIN_APP_NAME"), Env("MARLIN_CONSUMER_KEY"),
                                     Env("MARLIN_CONSUMER_SECRET")};
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
    if (command.kind == HeadlessCommand::Kind::Spending) return RunSpending(command);
    if (command.kind == HeadlessCommand::Kind::TableFromArchive) return RunTableFromArchive(command);
    if (command.kind == HeadlessCommand::Kind::Dehydrate) return RunDehydrate(command);
    if (command.kind == HeadlessCommand::Kind::Count && command.Bluesky()) {
        m_tk.Line(BskyCapture::kNoCount);
        return kBadUsage;
    }
    if (command.kind == HeadlessCommand::Kind::Conversation && command.api != "v2") {
        m_tk.Line("conversation needs --api v2: v1.1 search has no conversation_id");
        return kBadUsage;
    }
    if (command.kind == HeadlessCommand::Kind::Count && command.api != "v2") {
        m_tk.Line(VolumeEstimate::kNeedsV2);
        return kBadUsage;
    }
    if (const std::string mixed = MixedService(command); !mixed.empty()) return Fail(mixed);
    if (const int refused = command.Bluesky() ? ConnectBluesky(command) : Connect(command); refused != kDone)
        return refused;

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
        case HeadlessCommand::Kind::RepostedBy:
        case HeadlessCommand::Kind::LikingUsers:
        case HeadlessCommand::Kind::ListMembers:
            return RunUserList(command);
        case HeadlessCommand::Kind::Quotes:
            return RunQuotes(command);
        case HeadlessCommand::Kind::ExportNetwork:
        case HeadlessCommand::Kind::ExportCsv:
        case HeadlessCommand::Kind::ExportXlsx:
        case HeadlessCommand::Kind::Frequencies:
            return RunExport(command);
        case HeadlessCommand::Kind::Count:
            return RunCount(command);
        case HeadlessCommand::Kind::Hydrate:
            return RunHydrate(command);
        case HeadlessCommand::Kind::Conversation:
            return RunConversation(command);
        case HeadlessCommand::Kind::Searches:
            return RunSearches(command);
        case HeadlessCommand::Kind::Spending:
        case HeadlessCommand::Kind::TableFromArchive:
        case HeadlessCommand::Kind::Dehydrate:
            break;
    }
    return kFailed;
}

int HeadlessRun::Connect(const HeadlessCommand& command) {
    std::string credentialsProblem;
    const AppCredFile::Credentials credentials = FindCredentials(&credentialsProblem);
    if (!credentialsProblem.empty()) return Fail(credentialsProblem);
    if (!credentials.Complete())
        return Fail(
            "no credentials: set MARLIN_APP_NAME, MARLIN_CONSUMER_KEY and MARLIN_CONSUMER_SECRET, "
            "or store them with the window in " +
            (m_setup.appFolder / AppCredFile::kFileName).string());

    m_engine = std::make_unique<CaptureEngine>(
        CaptureEngine::Setup{m_setup.requestFactory, m_setup.apiBase, m_setup.appFolder}, m_events);
    m_tweets.SetUtf8(command.exactTexts);
    m_tweets.SetExtraColumns(command.extraColumns);
    TwitterAPI& client = m_engine->Client();
    client.SetApiVersion(command.api == "v2" ? ApiVersion::V2 : ApiVersion::V1_1);
    client.SetFullArchiveSearch(command.archiveSearch);
    m_engine->SetExactTexts(command.exactTexts);
    if (client.AuthAppAccess(credentials.appName, credentials.consumerKey, credentials.consumerSecret)
            .empty()) {
        if (!client.AuthRefused())
            return Fail("no token from " + m_setup.apiBase + ": " + client.AuthFailure());
        return Fail("the service did not accept the credentials of \"" + credentials.appName + "\" at " +
                    m_setup.apiBase + " (" + client.AuthFailure() + ")");
    }
    return kDone;
}

std::string HeadlessRun::MixedService(const HeadlessCommand& command) const {
    using Origin = ServiceOrigin;
    const Origin::Service wanted = command.Bluesky() ? Origin::Service::Bluesky : Origin::Service::X;
    std::vector<std::pair<std::string, Origin::FileKind>> files;
    if (command.kind == HeadlessCommand::Kind::Update || command.kind == HeadlessCommand::Kind::Continue)
        files.emplace_back(command.subject, Origin::FileKind::TweetTable);
    if (!command.users.empty()) files.emplace_back(command.users, Origin::FileKind::UserList);
    if (!command.archive.empty()) files.emplace_back(command.archive, Origin::FileKind::Archive);
    for (const auto& [file, kind] : files) {
        const Origin::Service held = Origin::OfFile(file, kind);
        if (held == Origin::Service::Unknown || held == wanted) continue;
        return file + " holds records from " + Origin::Name(held) + "; a capture from " +
               Origin::Name(wanted) +
               " would mix two services in it. Nothing was asked: use another file, or --service " +
               (held == Origin::Service::Bluesky ? "bluesky" : "x");
    }
    return {};
}

int HeadlessRun::ConnectBluesky(const HeadlessCommand& command) {
    const std::string base = Env("MARLIN_BSKY_BASE").empty()
                                 ? BskyClient::BaseAddress(BskyClient::kDefaultServer)
                                 : Env("MARLIN_BSKY_BASE");
    CaptureEngine::Setup setup{m_setup.requestFactory, m_setup.apiBase, m_setup.appFolder};
    setup.bskyBase = base;
    m_engine = std::make_unique<CaptureEngine>(std::move(setup), m_events);
    m_tweets.SetUtf8(command.exactTexts);
    m_engine->SetExactTexts(command.exactTexts);
    m_bskyLogin = std::make_unique<BskyLogin>(
        m_engine->Bluesky(), BskySessionFile::InFolder(m_setup.appFolder),
        BskyLogin::Credentials{Env("MARLIN_BSKY_HANDLE"), Env("MARLIN_BSKY_APP_PASSWORD")});
    m_engine->SetBlueskyRenewal([this] { return m_bskyLogin->Renew(); });
    const BskyOutcome opened = m_bskyLogin->Open();
    if (!m_bskyLogin->StoreProblem().empty()) m_events.Log(m_bskyLogin->StoreProblem());
    if (opened.Ok()) return kDone;
    if (opened.failure == BskyFailure::AuthRequired)
        return Fail(
            "no Bluesky session: set MARLIN_BSKY_HANDLE and MARLIN_BSKY_APP_PASSWORD (an app "
            "password, made in the Bluesky app under Settings \u203A Privacy and security \u203A App "
            "passwords), or log in with the window");
    return Fail(opened.Describe() + " at " + base);
}

CaptureRequest HeadlessRun::Request(CaptureKind kind, const HeadlessCommand& command) const {
    CaptureRequest request;
    request.kind = kind;
    request.service = command.Bluesky() ? CaptureService::Bluesky : CaptureService::Twitter;
    request.query = command.subject;
    if (command.backDays) request.backTo = CaptureRequest::DaysBack(*command.backDays);
    if (!command.lang.empty()) request.language = command.lang;
    request.dialect = command.api == "v2" ? CaptureDialect::V2 : CaptureDialect::V1_1;
    request.fullArchive = command.archiveSearch;
    request.exactTexts = command.exactTexts;
    request.extraColumns = command.extraColumns;
    request.archive.file = HeadlessTargets::Archive(command.archive);
    // Unattended: every spent quota window is waited out.
    request.limits.waitForQuota = true;
    if (!m_setup.retryDelays.empty()) request.limits.retryDelays = m_setup.retryDelays;
    if (m_setup.quotaWindowMilliseconds > 0)
        request.limits.windowMilliseconds = m_setup.quotaWindowMilliseconds;
    SetSpending(request, command);
    return request;
}

void HeadlessRun::SetSpending(CaptureRequest& request, const HeadlessCommand& command) const {
    // The window keeps the limits and any changed price in prefs; a prefs file too large to
    // be one is no prefs file.
    constexpr std::size_t kMaxPrefsBytes = std::size_t{1} << 20;
    std::string unread;
    if (const std::optional<std::string> prefs =
            BoundedFile::Read(m_setup.appFolder / Preferences::kFileName, kMaxPrefsBytes, &unread)) {
        std::istringstream lines(*prefs);
        for (std::string line; std::getline(lines, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!request.spendingLimits.TakePrefsLine(line)) request.prices.TakePrefsLine(line);
        }
    }
    request.pricePerPostRead = static_cast<double>(request.prices.postRead.micros()) / 1e6;
    request.spendingLimits.perRun = command.maxCost;
}

int HeadlessRun::StoppedWithNothing(const CaptureResult& result) {
    m_events.Flush();
    m_tk.Line("stopped early, nothing to save: " + result.stopReason);
    return kStoppedEarly;
}

void HeadlessRun::TakeTweets(bool append) {
    TakeTweets(m_engine->Tweets(), append);
}

void HeadlessRun::TakeTweets(TweetSet& tweets, bool append) {
    // Nothing arrived: the table stays as it is (a new one is empty already).
    if (tweets.Count() == 0) return;
    MarlinData data(m_processes, m_setup.appFolder);
    const std::filesystem::path scorer =
        ProgramFolder::FindScorer(m_setup.appFolder, m_setup.installedScorerFolder);
    const std::string failure = ScoredTweets::Score(tweets, data, scorer);
    if (!failure.empty()) m_events.Log(failure);
    ScoredTweets::Add(data, m_tweets, append);
    if (m_tweets.ExtraColumns()) m_tweets.AddExtraCells(tweets);
}

int HeadlessRun::RunSearch(const HeadlessCommand& command) {
    const CaptureResult result = m_engine->Capture(Request(CaptureKind::Search, command));
    TakeTweets(false);
    return SaveRetrieved(command.out, result);
}

bool HeadlessRun::OpenTable(const std::string& file) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) return false;
    try {
        // Straight into rows, the extra columns with them; a table that asks to be scored
        // again goes through the scorer's data.
        TweetTableFile::Rows read = TweetTableFile::ReadRows(file);
        if (read.read == TweetTableFile::RowsRead::Unreadable) return false;
        if (read.read == TweetTableFile::RowsRead::Read) {
            m_tweets.Rows().ClearRows();
            m_tweets.AddRows(std::move(read.rows));
            m_tweets.SetFile(file);
            m_tweets.KeepEncoding(read.utf8);
            m_tweets.SetExtraColumns(read.extraColumns || m_tweets.ExtraColumns());
            return true;
        }
        MarlinData data(m_processes, m_setup.appFolder);
        bool zeros = false;
        // A file that cannot be read at all is passed over without a word, as a history
        // entry is; one that reads wrong is told.
        if (!TweetTableFile::Load(data, file, &zeros)) return false;
        if (zeros && m_tk.MessageBox("Sentiment columns contain zeros - run sentiment analysis again?",
                                     MsgButtons::YesNo) == MsgResult::Yes) {
            const std::string folder =
                ProgramFolder::FindScorer(m_setup.appFolder, m_setup.installedScorerFolder).string();
            if (!data.RunSentiStrength(folder, folder, true)) m_events.Log(ScoredTweets::FailureLine(data));
        }
        m_tweets.Rows().ClearRows();
        m_tweets.AddRecords(data, true);
        TakeExtraCells(file);
        m_tweets.SetFile(file);
        m_tweets.KeepEncoding(data.LoadedUtf8());
        return true;
    } catch (const std::exception&) {
        m_tk.MessageBox("Couldn't open: " + file + " -- Contents may be corrupted.", "File Open Error",
                        MsgButtons::OK, MsgIcon::Exclamation);
        return false;
    }
}

void HeadlessRun::TakeExtraCells(const std::string& file) {
    const std::unordered_map<std::string, std::string> cells = TweetTableFile::ExtraCells(file);
    if (cells.empty()) return;
    m_tweets.SetExtraColumns(true);
    m_tweets.AddExtraCells(cells);
}

int HeadlessRun::RunTableUpdate(const HeadlessCommand& command) {
    if (!OpenTable(command.subject)) return Fail("cannot read the tweet table " + command.subject);
    m_tk.Line("Opened " + command.subject + " (" + std::to_string(m_tweets.Count()) + " tweets)");
    HeadlessCommand capture = command;
    capture.subject = command.query;
    const bool update = command.kind == HeadlessCommand::Kind::Update;
    if (update) capture.backDays = command.backDays.value_or(7);
    m_engine->Tweets().Clear();
    if (m_tweets.Count() > 0) {
        CaptureRequest request = Request(update ? CaptureKind::Update : CaptureKind::ContinueBack, capture);
        if (update) request.position.sinceId = m_tweets.NewestTweetId();
        if (!update) request.position.belowId = m_tweets.OldestTweetId();
        m_engine->Capture(request);
        TakeTweets(true);
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
    HeadlessCommand capture = command;
    capture.backDays = command.backDays.value_or(7);
    CaptureRequest request = Request(CaptureKind::Timelines, capture);
    request.accounts = names;
    const CaptureResult result = m_engine->Capture(request);
    TakeTweets(false);
    return SaveRetrieved(command.out, result);
}

int HeadlessRun::RunLookup(const HeadlessCommand& command) {
    std::string error;
    const std::vector<std::string> names = ReadUserNames(command.users, &error);
    if (names.empty()) return Fail(error);
    CaptureRequest request = Request(CaptureKind::Lookup, command);
    request.accounts = names;
    const CaptureResult result = m_engine->Capture(request);
    const UserSet& users = m_engine->Users();
    const SKDFuncs::DateValue today = SKDFuncs::Now();
    ReportList& rows = m_users.Rows();
    for (int i = 1; i <= users.Count(); ++i) rows.AddRow(ProfileRows::Cells(users, i, today));
    m_events.Flush();
    // An empty table would only write over what an earlier run saved there.
    if (users.Count() == 0 && !m_stopping && !result.stopReason.empty()) return StoppedWithNothing(result);
    if (users.Count() == 0) return m_stopping ? kStopped : Fail("no profile was found");
    if (!UserTableFile::Write(rows, command.out, UserTableFile::Layout::All, command.exactTexts))
        return Fail("cannot write " + command.out);
    m_tk.Line("Saved " + std::to_string(rows.RowCount()) + " profiles to " + command.out);
    return RetrievalOutcome(kDone);
}

int HeadlessRun::RunQuotes(const HeadlessCommand& command) {
    CaptureRequest request = Request(CaptureKind::Quotes, command);
    request.query.clear();
    request.accounts = {command.subject};
    const CaptureResult result = m_engine->Capture(request);
    TakeTweets(false);
    // A post nobody quoted is an answer, not a failure: its table is empty.
    if (m_tweets.Count() == 0 && Complete() && !m_stopping) return SaveTweets(command.out);
    return SaveRetrieved(command.out, result);
}

CaptureKind HeadlessRun::UserListKind(HeadlessCommand::Kind kind) {
    switch (kind) {
        case HeadlessCommand::Kind::Friends:
            return CaptureKind::Friends;
        case HeadlessCommand::Kind::RepostedBy:
            return CaptureKind::RepostedBy;
        case HeadlessCommand::Kind::LikingUsers:
            return CaptureKind::LikingUsers;
        case HeadlessCommand::Kind::ListMembers:
            return CaptureKind::ListMembers;
        default:
            return CaptureKind::Followers;
    }
}

bool HeadlessRun::WriteUserList(const UserSet& users, const std::string& file, bool exactTexts) {
    // A user table of the profiles that came with the list; else the list itself, as the
    // window saves a User list.
    if (file.ends_with(".mut")) {
        const SKDFuncs::DateValue today = SKDFuncs::Now();
        ReportList& rows = m_users.Rows();
        rows.ClearRows();
        for (int i = 1; i <= users.Count(); ++i) rows.AddRow(ProfileRows::Cells(users, i, today));
        return UserTableFile::Write(rows, file, UserTableFile::Layout::All, exactTexts);
    }
    std::string text;
    for (int i = 1; i <= users.Count(); ++i)
        text += users.Item(i).Id + "\t" + users.Item(i).ScreenName + "\r\n";
    return AtomicFile::Write(file, CodePage::ToWindows1252(text));
}

int HeadlessRun::RunUserList(const HeadlessCommand& command) {
    CaptureRequest request = Request(UserListKind(command.kind), command);
    request.query.clear();
    request.accounts = {command.subject};
    const CaptureResult result = m_engine->Capture(request);
    m_events.Flush();
    const UserSet& users = m_engine->Users();
    const std::string failure = result.last.Failed() ? " (" + result.last.responseCode + ")" : "";
    if (users.Count() == 0 && !m_stopping && !result.stopReason.empty()) return StoppedWithNothing(result);
    // A post nobody reposted or liked, or an empty list, is an answer: an empty list file.
    const bool emptyAnswer = command.ListsUsersOfPostOrList() && Complete() && !m_stopping;
    if (users.Count() == 0 && !emptyAnswer)
        return m_stopping ? kStopped : Fail("no user list was retrieved for " + command.subject + failure);
    if (!WriteUserList(users, command.out, command.exactTexts)) return Fail("cannot write " + command.out);
    m_tk.Line("Saved " + std::to_string(users.Count()) + " users to " + command.out);
    const int code = RetrievalOutcome(kDone);
    // What arrived is saved; a list cut short is still no success.
    if (code == kStoppedEarly)
        m_tk.Line("stopped early: the list of " + command.subject + " is incomplete" + failure);
    return code;
}

int HeadlessRun::SaveTweets(const std::string& file) {
    m_events.Flush();
    if (!TweetTableFile::Write(m_tweets, file, false)) return Fail("cannot write " + file);
    m_tk.Line("Saved " + std::to_string(m_tweets.Count()) + " tweets to " + file);
    return kDone;
}

int HeadlessRun::SaveRetrieved(const std::string& file, const CaptureResult& result) {
    // A run that got nothing before it stopped leaves an earlier file of that name as it was.
    if (m_tweets.Count() == 0 && !m_stopping && !result.stopReason.empty()) return StoppedWithNothing(result);
    if (m_tweets.Count() == 0 && (m_stopping || !Complete())) {
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
    if (m_engine && !m_stopping && m_setup.stopRequested && m_setup.stopRequested->load()) {
        m_stopping = true;
        m_tk.Line("Stopping: what was retrieved so far is saved");
        RunState& run = m_engine->State();
        // A signal stops the run as "Cancel " does; a command not yet busy stops at its
        // next check.
        if (run.Cancel())
            m_events.Tell("User cancelled the retrieval process", CaptureEvents::Notice::Information);
        else
            run.Stop();
    }
}

int HeadlessRun::RunCount(const HeadlessCommand& command) {
    const CaptureResult result = m_engine->Capture(Request(CaptureKind::Count, command));
    const std::optional<VolumeEstimate>& estimate = result.estimate;
    m_events.Flush();
    if (!estimate && !result.stopReason.empty()) return StoppedWithNothing(result);
    if (!estimate) return Fail("no counts for [" + command.subject + "]: " + result.last.responseCode);
    std::string lines = "date,posts\n";
    for (const TweetCountDay& day : estimate->days)
        lines += day.date + "," + std::to_string(day.posts) + "\n";
    lines += "# " + estimate->Summary(Request(CaptureKind::Count, command).pricePerPostRead) + "\n";
    if (estimate->stoppedEarly) lines += "# stopped early: the days above are not the whole span\n";
    if (m_setup.out)
        *m_setup.out << lines << std::flush;
    else
        m_tk.Text(lines);
    return RetrievalOutcome(kDone);
}

int HeadlessRun::RunSpending(const HeadlessCommand& command) {
    const std::filesystem::path file = m_setup.appFolder / Ledger::kFileName;
    std::optional<std::string> csv;
    std::string problem;
    std::error_code missing;
    // No ledger yet: nothing was read; the report is its header alone, and no file is made.
    if (!std::filesystem::exists(file, missing)) {
        csv = std::string(command.month.empty() ? "month" : "day") +
              ",posts_read,users_read,counts_requests,repeats_not_charged,dollars\n";
    } else if (std::unique_ptr<Ledger> ledger = Ledger::Open(file, &problem)) {
        csv = SpendingReport::Csv(
            *ledger, command.month.empty() ? std::nullopt : std::optional<std::string>(command.month));
        if (!csv) problem = "cannot read the spending ledger " + file.string() + ": " + ledger->Problem();
    }
    if (!csv) return Fail(problem);
    if (m_setup.out)
        *m_setup.out << *csv << std::flush;
    else
        m_tk.Text(*csv);
    return kDone;
}

int HeadlessRun::RunTableFromArchive(const HeadlessCommand& command) {
    TweetSet tweets{Yield()};
    tweets.SetExactTexts(command.exactTexts);
    tweets.SetExtraFields(command.extraColumns);
    const ArchiveRecords::Result read = ArchiveRecords::Load(command.subject, tweets);
    if (!read.problem.empty()) return Fail(read.problem);
    m_tk.Line("Read " + std::to_string(read.posts) + " posts from " + command.subject +
              (read.skipped > 0 ? " (" + std::to_string(read.skipped) + " lines passed over)" : ""));
    if (read.posts == 0) return Fail("no posts in " + command.subject);
    m_tweets.SetUtf8(command.exactTexts);
    m_tweets.SetExtraColumns(command.extraColumns);
    TakeTweets(tweets, false);
    return SaveTweets(command.out);
}

int HeadlessRun::RunExport(const HeadlessCommand& command) {
    // A table file is a file: a device or a FIFO (/dev/zero) would be read without end.
    std::error_code error;
    if (!std::filesystem::is_regular_file(command.subject, error))
        return Fail(command.subject + " is not a table file");
    const bool frequencies = command.kind == HeadlessCommand::Kind::Frequencies;
    for (const std::string& file : frequencies ? FrequencyFiles::FilesFor(command.out, command.words)
                                               : std::vector<std::string>{command.out})
        if (const std::string problem = ExportTarget::Problem(file); !problem.empty())
            return Fail("cannot write " + file + ": " + problem);
    if (command.kind == HeadlessCommand::Kind::ExportNetwork && command.graph == "interaction") {
        std::string problem;
        if (!InteractionNetwork::FromTableFile(command.subject, command.archive, command.out, &problem))
            return Fail(problem);
        for (const std::string& file : NetworkFiles::FilesFor(command.out)) Saved(file);
        return kDone;
    }
    if (command.kind == HeadlessCommand::Kind::ExportNetwork && command.graph == "coword") {
        if (!CowordNetwork::FromTableFile(command.subject, command.out,
                                          command.top.value_or(CowordNetwork::kDefaultTop)))
            return Fail("cannot read " + command.subject + " or write " + command.out);
        for (const std::string& file : NetworkFiles::FilesFor(command.out)) Saved(file);
        return kDone;
    }
    ExportOptions options;
    options.stop = m_setup.stopRequested;
    options.tell = [this](const std::string& text) { m_tk.Line(text); };
    const bool written = WriteExport(command, options);
    if (!written && options.Stopped()) {
        m_tk.Line("Stopped: " + command.out + " was not written");
        return kStopped;
    }
    if (!written) return Fail(ExportFailure(command.subject, command.out));
    if (!frequencies) return Saved(command.out);
    for (const std::string& file : FrequencyFiles::FilesFor(command.out, command.words)) Saved(file);
    return kDone;
}

bool HeadlessRun::WriteExport(const HeadlessCommand& command, const ExportOptions& options) {
    const bool users = command.subject.ends_with(".mut");
    switch (command.kind) {
        case HeadlessCommand::Kind::Frequencies:
            return FrequencyFiles::FromTableFile(command.subject, command.out, command.by, command.words,
                                                 options);
        case HeadlessCommand::Kind::ExportXlsx:
            return users ? XlsxExport::UsersFromTableFile(command.subject, command.out, options)
                         : XlsxExport::TweetsFromTableFile(command.subject, command.out, options);
        case HeadlessCommand::Kind::ExportCsv:
            return users ? CsvExport::UsersFromTableFile(command.subject, command.out, options)
                         : CsvExport::TweetsFromTableFile(command.subject, command.out, options);
        default:
            break;
    }
    if (users)
        return NetworkExport::FromUserTableFile(
            command.subject, command.out, {command.followsOf, command.followKind == "followers"}, options);
    if (!command.graph.empty() && command.graph != "mention")
        return HashtagNetwork::FromTableFile(command.subject, command.out,
                                             command.graph == "cohashtag"
                                                 ? HashtagNetwork::Shape::CoHashtag
                                                 : HashtagNetwork::Shape::HashtagUser,
                                             options);
    return NetworkExport::FromTableFile(command.subject, command.out, options);
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

namespace marlin {

int HeadlessRun::RunHydrate(const HeadlessCommand& command) {
    PostIds read;
    try {
        read = PostIdFile::Read(command.subject, command.column);
    } catch (const PostIdFile::Error& error) {
        return Fail(error.what());
    }
    if (read.ids.empty()) return Fail("no post ids in " + command.subject);
    CaptureRequest request = Request(CaptureKind::Hydrate, command);
    request.query.clear();
    request.postIds = std::move(read.ids);
    // The archive and the missing list are what a second run goes on from.
    std::filesystem::path out = command.out;
    if (request.archive.file.empty())
        request.archive.file = std::filesystem::path(out).replace_extension(".jsonl");
    request.missingFile = MissingPostsFile::For(out);
    const std::size_t asked = request.postIds.size();
    const CaptureResult result = m_engine->Capture(request);
    TakeTweets(false);
    const int code = SaveRetrieved(command.out, result);
    if (code == kFailed) return code;
    m_tk.Line("Hydrated " + std::to_string(m_tweets.Count()) + " posts of " + std::to_string(asked) +
              " ids, " + std::to_string(result.idsMissing) + " missing (" + request.missingFile.string() +
              "), " + std::to_string(read.duplicates) + " duplicated and " + std::to_string(read.malformed) +
              " malformed ids dropped" +
              (result.idsSettledBefore > 0
                   ? ", " + std::to_string(result.idsSettledBefore) + " settled by an earlier run"
                   : ""));
    return code;
}

int HeadlessRun::RunDehydrate(const HeadlessCommand& command) {
    PostIds ids;
    try {
        ids = PostIdFile::Dehydrate(command.subject, command.column);
    } catch (const PostIdFile::Error& error) {
        return Fail(error.what());
    }
    if (!PostIdFile::Write(command.out, ids.ids)) return Fail("cannot write " + command.out);
    m_tk.Line("Saved " + std::to_string(ids.ids.size()) + " post ids to " + command.out + " (" +
              std::to_string(ids.duplicates) + " doubles and " + std::to_string(ids.malformed) +
              " entries that are no post id left out)");
    return kDone;
}

int HeadlessRun::RunConversation(const HeadlessCommand& command) {
    CaptureRequest request = Request(CaptureKind::Conversation, command);
    request.query.clear();
    for (const std::string& id : command.ids) {
        const std::optional<std::uint64_t> post = PostIdFile::ParseId(id);
        if (!post) return Fail("\"" + id + "\" is no post id");
        if (std::find(request.postIds.begin(), request.postIds.end(), *post) == request.postIds.end())
            request.postIds.push_back(*post);
    }
    const CaptureResult result = m_engine->Capture(request);
    TakeTweets(false);
    return SaveRetrieved(command.out, result);
}

int HeadlessRun::RunSearches(const HeadlessCommand& command) {
    int code = kDone;
    SearchesFromFile::Hooks hooks;
    hooks.request = [&](CaptureKind kind, const std::string& query) {
        HeadlessCommand search = command;
        search.subject = query;
        return Request(kind, search);
    };
    hooks.capture = [this](const CaptureRequest& request) { return m_engine->Capture(request); };
    hooks.keep = [&](const std::string& table, const CaptureResult& result) -> std::optional<std::size_t> {
        m_tweets.Rows().ClearRows();
        TakeTweets(false);
        code = SaveRetrieved(table, result);
        if (code != kDone) return std::nullopt;
        return static_cast<std::size_t>(m_tweets.Count());
    };
    hooks.line = [this](const std::string& line) { m_tk.Line(line); };
    hooks.stopping = [this] { return m_stopping; };
    SearchesFromFile searches(command.subject, command.out, std::move(hooks));
    if (!searches.Problem().empty()) return Fail(searches.Problem());
    if (command.api == "v2")
        searches.Estimate();
    else
        m_tk.Line("No estimate: only v2 counts the posts of a query (--api v2)");
    switch (searches.Run()) {
        case SearchesFromFile::Outcome::Finished:
            return kDone;
        case SearchesFromFile::Outcome::Stopped:
            return kStopped;
        case SearchesFromFile::Outcome::NotFinished:
            return code;
        case SearchesFromFile::Outcome::DoneListUnwritten:
            break;
    }
    return Fail("cannot write " + (std::filesystem::path(command.out) / SearchesFolder::kDoneFile).string());
}

}  // namespace marlin
