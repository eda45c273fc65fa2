#include "workspace/users/user_list_builder.h"

#include <cstdio>
#include <exception>

#include "core/code_page.h"
#include "workspace/engine/capture_texts.h"

namespace marlin {

namespace {

constexpr const char* kDefaultAccount = "marlin_team";
constexpr const char* kFromTweetsTip =
    "List contains users extracted from a Tweets table. To make sure this list relates to the Tweets "
    "currently displayed, select 'Get Users from Tweets' again.";
constexpr const char* kPastedTip = "List contains users pasted from external list/metadata table";
constexpr const char* kReplaceQuestion = "Replace current user list with list on clipboard?";
constexpr const char* kIdQuestion =
    "At least one item in the list looks like a UserID (number), not a ScreenName. If this IS a list of "
    "UserIDs then click YES. If this is a list of ScreenNames then click NO";
constexpr const char* kIdQuestionTitle = "Define list item type";
constexpr const char* kPasteLookupLine = "Retrieving user details (click cancel to abort) ...";
constexpr const char* kNoUserFound = "No user found";
// Characters of the description the summary shows.
constexpr int kSummaryDescription = 200;

struct ListTexts {
    const char* tooltip;  // "List contains followers of "
    const char* none;     // the warning when nothing came back
    const char* tableSuffix;
};

const ListTexts& Texts(UserListBuilder::ListKind kind) {
    static const ListTexts followers{
        "List contains followers of ",
        "No followers retrieved. Verify that you are entering a valid Screen Name", "_followers"};
    static const ListTexts friends{"List contains friends of ",
                                   "No friends retrieved. Verify that you are entering a valid Screen Name",
                                   "_friends"};
    return kind == UserListBuilder::ListKind::Followers ? followers : friends;
}

// The first `count` characters of a UTF-8 text.
std::string FirstCharacters(const std::string& text, int count) {
    std::size_t pos = 0;
    for (int n = 0; n < count && pos < text.size(); ++n) CodePage::NextCodePoint(text, pos);
    return text.substr(0, pos);
}

// A number as the classic Str$ writes it: at most 15 significant digits, the exponent
// form from 1E+15 up, no zero before the decimal point, a blank before a value of 0 or more.
std::string ClassicStr(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15G", value);
    std::string text = buffer;
    if (const auto e = text.find('E'); e != std::string::npos) {
        // "1E+015" style exponents of some C libraries aside, keep at least two digits.
        std::string mantissa = text.substr(0, e);
        const char sign = text[e + 1];
        std::string digits = text.substr(e + 2);
        while (digits.size() > 2 && digits.front() == '0') digits.erase(0, 1);
        if (digits.size() < 2) digits.insert(digits.begin(), '0');
        mantissa.append(1, 'E').append(1, sign).append(digits);
        text = std::move(mantissa);
    }
    if (text.starts_with("0.")) text.erase(0, 1);
    if (text.starts_with("-0.")) text.erase(1, 1);
    if (value >= 0) text.insert(0, 1, ' ');
    return text;
}

// The length of the account's list as a profile at hand gives it: the main user set, or a
// row of the current user table. 0 when neither knows the account.
long long ListedCount(const UserSet& users, const ReportList& table, UserListBuilder::ListKind kind,
                      const std::string& account) {
    const bool followers = kind == UserListBuilder::ListKind::Followers;
    if (const int at = users.FindUserIndex(account, account); at > 0)
        return followers ? users.Item(at).Followers : users.Item(at).Friends;
    for (int row = 0; row < table.RowCount(); ++row) {
        if (Trimmed(table.Text(row)) != account &&
            Trimmed(table.Cell(row, UserTable::kScreenName)) != account)
            continue;
        const auto count = table.Cell(row, followers ? UserTable::kFollowers : UserTable::kFriends);
        return static_cast<long long>(SKDFuncs::LeadingNumber(std::string(count)));
    }
    return 0;
}

}  // namespace

UserListBuilder::UserListBuilder(MainWindowState& window, TweetControls& tweetCtl, UserControls& userCtl,
                                 UserProfileTable& profiles, TimelineSamples& samples)
    : m_window(window), m_tweetCtl(tweetCtl), m_userCtl(userCtl), m_profiles(profiles), m_samples(samples) {}

void UserListBuilder::BeginRetrieval() {
    m_window.Run.ClearCancel();
    if (m_switchTimer) m_switchTimer(false);
}

void UserListBuilder::EndRetrieval(RetrievalGuard& running) {
    running.Release();
    if (m_switchTimer) m_switchTimer(true);
}

// ---- Followers and friends

bool UserListBuilder::RetrieveUserList(CaptureEngine& engine, ListKind kind, const std::string& account,
                                       bool byId, long long listed) {
    CaptureRequest request = m_window.Request(
        kind == ListKind::Followers ? CaptureKind::Followers : CaptureKind::Friends, m_tweetCtl, m_userCtl);
    request.accounts = {account};
    request.accountsAreIds = byId;
    request.expectedRecords = listed;
    return engine.Capture(request).reached;
}

void UserListBuilder::GetFollowersOrFriends(ListKind kind) {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return;
    const std::string suggested =
        m_userCtl.UserList.SelectedIndex() >= 0 ? m_userCtl.UserList.SelectedText() : kDefaultAccount;
    const std::string name = w.Tk.InputBox("Enter screen name", kApplicationTitle, suggested);
    if (name.empty()) return;
    RetrieveListOf(kind, name);
}

void UserListBuilder::RetrieveListOf(ListKind kind, const std::string& name) {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return;
    // "#tag" or "John Smith" names nobody; the service would only be asked in vain.
    if (!(w.Settings.Bluesky ? CaptureTexts::CanBeHandleOrDid(name)
                             : CaptureTexts::CanBeScreenNameOrId(name))) {
        w.Events().Log(CaptureTexts::SkippedLine({name}));
        return;
    }

    const long long listed = ListedCount(w.Engine.Users(), m_userCtl.CurrentUserTable(), kind,
                                         name);  // before the user set is cleared
    RetrievalGuard running(w, RetrievalGuard::Mark::Busy, CursorShape::Busy);
    BeginRetrieval();
    RetrieveUserList(w.Engine, kind, name, false, listed);
    EndRetrieval(running);
    m_userCtl.UserList.SetBold(false);

    const UserSet& users = w.Engine.Users();
    if (users.Count() == 0) {
        NoListRetrieved(kind);
        return;
    }
    FillListFromUsers();
    m_userCtl.UserList.SetToolTip(Texts(kind).tooltip + name);
    m_userCtl.UserList.SetSelectedIndex(0);
    if (kind == ListKind::Friends) {
        w.Events().Tell(std::to_string(users.Count()) + " Screen Names of friends of " + name +
                            " were copied to the User Timeline list.",
                        CaptureEvents::Notice::Information);
    }
}

void UserListBuilder::RetrieveUsersOf(CaptureKind kind, const std::string& id) {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return;
    const char* what = kind == CaptureKind::RepostedBy    ? "users who reposted post "
                       : kind == CaptureKind::LikingUsers ? "users who liked post "
                                                          : "members of list ";
    RetrievalGuard running(w, RetrievalGuard::Mark::Busy, CursorShape::Busy);
    BeginRetrieval();
    CaptureRequest request = w.Request(kind, m_tweetCtl, m_userCtl);
    request.query.clear();
    request.accounts = {id};
    w.Engine.Capture(request);
    EndRetrieval(running);
    m_userCtl.UserList.SetBold(false);
    if (w.Engine.Users().Count() == 0) {
        w.Events().Tell(std::string("No ") + what + id + " retrieved.", CaptureEvents::Notice::Warning);
        return;
    }
    FillListFromUsers();
    m_userCtl.UserHandle.SetSelectedIndex(0);  // the list holds screen names
    m_userCtl.UserList.SetToolTip(std::string("List contains ") + what + id);
    m_userCtl.UserList.SetSelectedIndex(0);
}

void UserListBuilder::NoListRetrieved(ListKind kind) {
    m_window.Events().Tell(Texts(kind).none, CaptureEvents::Notice::Warning);
}

void UserListBuilder::FillListFromUsers() {
    const UserSet& users = m_window.Engine.Users();
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(users.Count()));
    for (int i = 1; i <= users.Count(); ++i) names.push_back(users.ScreenName(i));
    m_userCtl.UserList.SetItems(std::move(names));
}

// ---- Other sources

void UserListBuilder::mGetUFT_Click() {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return;
    m_samples.BuildTweetsUT_Click();
    m_userCtl.UserList.Clear();
    m_userCtl.UserHandle.SetSelectedIndex(0);
    FillListFromUsers();
    m_userCtl.UserList.SetBold(true);
    m_userCtl.UserList.SetToolTip(kFromTweetsTip);
    UserList_Click();
}

bool UserListBuilder::LooksLikeUserId(const std::string& field) {
    return ClassicStr(SKDFuncs::LeadingNumber(field)).substr(1).size() == field.size();
}

void UserListBuilder::mPasteUL_Click() {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return;
    if (m_userCtl.UserList.Count() > 0 &&
        w.Tk.MessageBox(kReplaceQuestion, MsgButtons::OKCancel) == MsgResult::Cancel)
        return;
    const std::string text = w.Tk.ClipboardGetText();
    if (text.find('\n') == std::string::npos) return;

    UserSet& users = w.Engine.Users();
    m_userCtl.UserList.Clear();
    if (users.Count() != 0) users.Clear();
    std::vector<std::string> items;
    bool userIds = false;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string piece = text.substr(start, end - start);
        start = end + 1;
        if (piece.empty()) continue;
        std::string field = piece.substr(0, piece.find('\t'));
        if (const auto at = field.find('@'); at != std::string::npos) field.erase(at, 1);
        // A header line, and a line with no name in its first field.
        if (field.find("UserId") != std::string::npos) continue;
        if (field.empty() || static_cast<unsigned char>(field.front()) <= 32) continue;
        if (LooksLikeUserId(field)) userIds = true;
        std::string item;
        for (char c : field)
            if (c != '\r') item += c;
        items.push_back(std::move(item));
    }
    for (const std::string& item : items) m_userCtl.UserList.AddItem(item);
    m_userCtl.UserList.SetBold(false);  // bold marks a list taken from the Tweets table alone
    if (userIds &&
        w.Tk.MessageBox(kIdQuestion, kIdQuestionTitle, MsgButtons::YesNo, MsgIcon::None) == MsgResult::No)
        userIds = false;
    if (m_userCtl.UserList.Count() == users.Count()) return;  // nothing was added

    RetrievalGuard running(w, RetrievalGuard::Mark::Busy, CursorShape::Busy);
    m_userCtl.UTFrame.SetEnabled(false);
    w.Events().Log(kPasteLookupLine);
    m_profiles.GetUsers(w.Engine, items, userIds, false);

    running.Release();
    m_userCtl.UTFrame.SetEnabled(true);
    m_userCtl.UserList.SetToolTip(kPastedTip);
    // Ids become the screen names of the profiles found, so that the list and the user
    // set stay in step; an id that found no profile has no name to show and is dropped.
    if (userIds) FillListFromUsers();
    m_userCtl.ULCount.SetCaption(std::to_string(m_userCtl.UserList.Count()) + " users displayed");
}

void UserListBuilder::mCopyUL_Click() {
    std::string text;
    for (const std::string& item : m_userCtl.UserList.Items()) text += item + "\r\n";
    m_window.Tk.ClipboardClear();
    m_window.Tk.ClipboardSetText(text);
}

void UserListBuilder::mAddUser_Click() {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return;
    const std::string name = w.Tk.InputBox("Enter user ScreenName", kApplicationTitle, "");
    if (name.empty() || name.front() == ' ') return;
    UserSet& users = w.Engine.Users();
    const int before = users.Count();
    m_profiles.GetUsers(w.Engine, {name}, false, true);
    w.Run.ClearCancel();
    if (users.Count() == before) {
        w.Events().Log(kNoUserFound);
        return;
    }
    m_userCtl.UserList.AddItem(users.ScreenName(users.Count()));
    m_userCtl.UserList.SetSelectedIndex(m_userCtl.UserList.Count() - 1);
    UserList_Click();
}

void UserListBuilder::mDeleteUser_Click() {
    const int k = m_userCtl.UserList.SelectedIndex();
    if (k < 0) return;
    m_userCtl.UserList.RemoveItem(k);
    m_userCtl.UserMeta.SetText("");
    if (m_userCtl.UserList.Count() > 0 && k > 0) m_userCtl.UserList.SetSelectedIndex(k - 1);
    UserList_Click();
}

void UserListBuilder::mAddU2UL_Click() {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return;
    const int row = w.TweetsTable.Rows().SelectedIndex();
    if (row < 0) return;
    const std::string name = Trimmed(w.TweetsTable.Rows().Cell(row, 1));
    if (name.empty()) return;
    const int found = m_userCtl.UserList.Find(name);
    if (found >= 0) {
        m_userCtl.UserList.SetSelectedIndex(found);
    } else {
        m_userCtl.UserList.AddItem(name);
    }
    m_profiles.GetUsers(w.Engine, m_userCtl.UserList.Items(), false, false);
    w.Run.ClearCancel();
    m_userCtl.UserList.SetSelectedIndex(m_userCtl.UserList.Count() - 1);
    UserList_Click();
}

void UserListBuilder::mDelUFUL_Click() {
    MainWindowState& w = m_window;
    const int row = w.TweetsTable.Rows().SelectedIndex();
    if (row < 0) return;
    const int found = m_userCtl.UserList.Find(Trimmed(w.TweetsTable.Rows().Cell(row, 1)));
    if (found >= 0) m_userCtl.UserList.RemoveItem(found);
}

void UserListBuilder::mSelAllUL_Click() {
    const bool noneChecked = m_userCtl.UserList.CheckedCount() == 0;
    m_userCtl.UserList.SetAllChecked(noneChecked);
    m_userCtl.mSelAllUL.SetCaption(noneChecked ? "Deselect All" : "Select All");
}

void UserListBuilder::UserList_ItemCheck(int /*index*/) {
    m_userCtl.mSelAllUL.SetCaption("Deselect All");
}

void UserListBuilder::mULClear_Click() {
    MainWindowState& w = m_window;
    m_userCtl.UserList.Clear();
    w.Engine.Users().Clear();
    m_userCtl.mSelAllUL.SetCaption("Select All");
    m_userCtl.UserMeta.SetText("");
}

void UserListBuilder::UserHandle_Click(int index) {
    MainWindowState& w = m_window;
    const UserSet& users = w.Engine.Users();
    // Only a list in step with the user set can be rewritten item by item.
    if (m_userCtl.UserList.Count() != users.Count()) return;
    for (int i = 0; i < m_userCtl.UserList.Count(); ++i)
        m_userCtl.UserList.SetItem(i, index == 0 ? users.ScreenName(i + 1) : users.Id(i + 1));
}

// ---- Summary and menu

std::string UserListBuilder::Summary(int index) const {
    const UserSet::Record& r = m_window.Engine.Users().Item(index);
    return r.RealName + " - " + FirstCharacters(r.Description, kSummaryDescription) + ". Is located in " +
           r.Location + " (" + r.Lang + "), has " + std::to_string(r.Followers) + " Followers" + ", " +
           std::to_string(r.Friends) + " Friends" + " and " + std::to_string(r.StatusCount) + " Tweets";
}

void UserListBuilder::UserList_Click() {
    MainWindowState& w = m_window;
    const UserSet& users = w.Engine.Users();
    if (users.Count() == 0) return;
    if (m_userCtl.UserList.SelectedIndex() < 0) {
        m_userCtl.UserMeta.SetText("");
        return;
    }
    // Items are screen names or, after the item-type switch, ids.
    const std::string item = m_userCtl.UserList.SelectedText();
    m_userCtl.UserMeta.SetText(Summary(users.FindUserIndex(item, item)));
}

void UserListBuilder::UserList_MouseUp(int button) {
    if (button == 2) m_userCtl.mUsers.ShowPopup();
}

// ---- The followers/friends frame

void UserListBuilder::GUFOp_Click(int index) {
    m_userCtl.GUF_Id.SetEnabled(index != 0);
    if (index != 0) m_userCtl.GUF_Id.SetText("");
}

std::vector<std::string> UserListBuilder::FrameTargets() const {
    if (m_userCtl.GUFOp.SelectedIndex() > 0) {
        if (m_userCtl.GUF_Id.Text().empty()) return {};
        return {m_userCtl.GUF_Id.Text()};
    }
    // The rows chosen in the current user table, by their ids, in row order.
    const ReportList& table = m_userCtl.CurrentTable().Rows();
    std::vector<std::string> targets;
    for (const int row : table.SelectedRows())
        if (!table.Text(row).empty()) targets.emplace_back(table.Text(row));
    return targets;
}

void UserListBuilder::GetFF_Click(int index) {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return;
    const ListKind kind = index == 0 ? ListKind::Followers : ListKind::Friends;
    const bool byScreenName = m_userCtl.GUFOp.SelectedIndex() == 1;
    const std::vector<std::string> targets = FrameTargets();
    CaptureEngine& engine = w.TableEngine;
    engine.Users().Clear();
    if (targets.empty()) return;

    RetrievalGuard running(w, RetrievalGuard::Mark::RunningOnly);
    m_samples.AuthenticateUTwitter();
    running.MarkBusy(CursorShape::Busy);
    BeginRetrieval();
    int tables = 0;
    for (const std::string& target : targets) {
        const bool complete =
            RetrieveUserList(engine, kind, target, !byScreenName,
                             ListedCount(w.Engine.Users(), m_userCtl.CurrentUserTable(), kind, target));
        const bool userCancelled = !complete && w.Run.Cancelled();
        if (engine.Users().Count() > 0) {
            m_samples.AddUserTable(target + Texts(kind).tableSuffix);
            m_profiles.FillUserTable(engine.Users(), false, *m_userCtl.UserTables.back());
            ++tables;
        }
        if (userCancelled) break;
    }
    EndRetrieval(running);
    if (tables == 0) NoListRetrieved(kind);
}

}  // namespace marlin
