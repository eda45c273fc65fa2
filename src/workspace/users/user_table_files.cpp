#include "workspace/users/user_table_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <unordered_map>

#include "core/atomic_file.h"
#include "core/code_page.h"
#include "core/exact_text.h"
#include "core/skd_funcs.h"
#include "workspace/retrieval/retrieval_guard.h"

namespace marlin {

namespace {

// A name that ends in the extension, in any case ("data-users.MUT").
bool HasExtension(const std::string& name, const std::string& extension) {
    if (name.size() < extension.size()) return false;
    return std::equal(extension.begin(), extension.end(),
                      name.end() - static_cast<std::ptrdiff_t>(extension.size()), [](char a, char b) {
                          return std::tolower(static_cast<unsigned char>(a)) ==
                                 std::tolower(static_cast<unsigned char>(b));
                      });
}

constexpr const char* kOpenFilter =
    "Text (*.txt)|*.txt|Marlin User Keys (*.muk)|*.muk|Marlin User Table (*.mut)|*.mut";
// "All Fields" reads whole user tables, so their files come first.
constexpr const char* kOpenAllFilter =
    "Marlin User Table (*.mut)|*.mut|Marlin User Keys (*.muk)|*.muk|Text (*.txt)|*.txt";
constexpr const char* kNoSample =
    "Some/all rows in the table have no Timeline sample. This is required by Profiler. Exiting Export "
    "operation.";
constexpr const char* kOpenErrorTitle = "File Open Error";
constexpr const char* kSaveErrorTitle = "File Save Error";

// The whole file as it is on disk. Any failure to read, also part-way, throws.
std::string ReadWholeFile(const std::string& fileName) {
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw std::runtime_error(std::strerror(errno));
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            ::close(fd);
            throw std::runtime_error(std::strerror(error));
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return bytes;
}

// Lines without their CR LF (a lone LF ends a line too); empty lines are left out, as
// they hold no user.
std::vector<std::string> NonEmptyLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    return fields;
}

std::string Field(const std::vector<std::string>& fields, std::size_t k) {
    return k < fields.size() ? fields[k] : std::string();
}

std::string WithoutEvery(std::string text, const std::string& part) {
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at))
        text.erase(at, part.size());
    return text;
}

}  // namespace

UserTableFiles::UserTableFiles(MainWindowState& window, UserControls& userCtl, UserProfileTable& profiles,
                               TimelineSamples& samples)
    : m_window(window), m_userCtl(userCtl), m_profiles(profiles), m_samples(samples) {}

// ---- Save

std::string UserTableFiles::ProposedName(std::size_t table) const {
    const MainWindowState& w = m_window;
    if (table == 0 && w.TweetsTable.File().ends_with(".txt"))
        return WithoutEvery(w.TweetsTable.File(), ".txt");
    if (static_cast<int>(table) == m_userCtl.CurUserTable) return m_userCtl.UTList.SelectedText();
    return table == 0 ? std::string() : m_userCtl.UserTables.at(table)->Name();
}

void UserTableFiles::mSaveUsers_Click(int index) {
    const Layout layout = index == 0 ? Layout::Keys : index == 1 ? Layout::Profiler : Layout::All;
    SaveTable(static_cast<std::size_t>(m_userCtl.CurUserTable), layout);
}

std::string UserTableFiles::ReplaceQuestion(const std::vector<std::string>& tableNames) {
    std::string named;
    for (const std::string& name : tableNames) named += (named.empty() ? "\"" : ", \"") + name + "\"";
    return std::string("The selected operation will replace the current contents of the user ") +
           (tableNames.size() == 1 ? "table " : "tables ") + named + ". Save contents now?";
}

bool UserTableFiles::OfferToSave(int table) {
    MainWindowState& w = m_window;
    std::vector<std::size_t> unsaved;
    for (std::size_t k = 0; k < m_userCtl.UserTables.size(); ++k) {
        const bool asked = table == UserControls::kAllUserTables || static_cast<int>(k) == table;
        if (asked && m_userCtl.UserTables[k]->Unsaved()) unsaved.push_back(k);
    }
    if (unsaved.empty()) return true;
    std::vector<std::string> names;
    for (std::size_t k : unsaved) names.push_back(m_userCtl.UserTables.at(k)->Name());
    // On the way out (every table is asked about) Cancel keeps the window open.
    const bool leaving = table == UserControls::kAllUserTables;
    const MsgResult answer =
        w.Tk.MessageBox(ReplaceQuestion(names), leaving ? MsgButtons::YesNoCancel : MsgButtons::YesNo);
    if (answer == MsgResult::Cancel) return false;
    if (answer != MsgResult::Yes) return true;
    bool saved = true;
    for (std::size_t k : unsaved) saved = SaveTable(k, Layout::All) && saved;
    return saved;
}

bool UserTableFiles::SaveTable(std::size_t tableIndex, Layout layout) {
    MainWindowState& w = m_window;
    UserTable& userTable = *m_userCtl.UserTables.at(tableIndex);
    const ReportList& table = userTable.Rows();
    if (layout == Layout::Profiler) {
        for (int row = 0; row < table.RowCount(); ++row) {
            if (!table.Cell(row, UserTable::kPrfTwtSamp).empty()) continue;
            w.Tk.MessageBox(kNoSample, MsgButtons::OK, MsgIcon::Exclamation);
            return false;
        }
    }
    static constexpr const char* kFilters[] = {"Marlin User Keys (*.muk)|*.muk",
                                               "Marlin Profiler Input (*.mprf)|*.mprf",
                                               "Marlin User Table (*.mut)|*.mut"};
    // No default extension: the layout's own is appended below, always.
    const FileDialogRequest request{"", kFilters[static_cast<int>(layout)], "", ProposedName(tableIndex)};
    const std::optional<std::string> chosen = w.Tk.SaveFileDialog(request);
    if (!chosen || chosen->empty()) return false;

    // The layout's extension, unless the chosen name ends in it already.
    const std::string extension = UserTableFile::Extension(layout);
    const std::string fileName = *chosen + (HasExtension(*chosen, extension) ? "" : extension);
    if (SKDFuncs::FileExists(fileName) && w.Tk.MessageBox(fileName + " already exists. Overwrite this file?",
                                                          MsgButtons::OKCancel) == MsgResult::Cancel)
        return false;
    w.Tk.SetCursor(CursorShape::ArrowAndBusy);
    const bool written = UserTableFile::Write(table, fileName, layout, userTable.Utf8());
    w.Tk.SetCursor(CursorShape::Normal);
    // The earlier file is untouched; say so rather than leave the user believing the
    // table is safe.
    if (!written) {
        w.Tk.MessageBox("Couldn't save: " + fileName + " -- The file could not be written.", kSaveErrorTitle,
                        MsgButtons::OK, MsgIcon::Exclamation);
        return false;
    }
    userTable.KeepEncoding(userTable.Utf8());
    userTable.SetUnsaved(false);
    return true;
}

// ---- Open

void UserTableFiles::ShowOpenError(const std::string& fileName) {
    m_window.Tk.MessageBox("Couldn't open: " + fileName + " -- Contents may be corrupted.", kOpenErrorTitle,
                           MsgButtons::OK, MsgIcon::Exclamation);
}

void UserTableFiles::mOpenUsers_Click(int index) {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return;
    const Layout layout = index == 0 ? Layout::Keys : Layout::All;
    w.Req.DefaultExt = layout == Layout::All ? "mut" : "muk";
    w.Req.Filter = layout == Layout::All ? kOpenAllFilter : kOpenFilter;
    // The chosen file stays out of the shared dialog's file name: the next tweet table
    // save would otherwise offer to write over this user file.
    FileDialogRequest request = w.Req.Request();
    request.fileName.clear();
    const std::string fileName = w.Tk.OpenFileDialog(request).value_or("");

    RetrievalGuard running(w, RetrievalGuard::Mark::RunningOnly);
    if (SKDFuncs::FileExists(fileName)) {
        running.MarkBusy(CursorShape::ArrowAndBusy);
        const std::string title = std::filesystem::path(fileName).filename().string();
        for (const char* extension : {".txt", ".muk", ".mut"}) {
            if (title.find(extension) != std::string::npos)
                m_samples.AddUserTable(WithoutEvery(title, extension));
        }
        try {
            ReadIntoTable(fileName, layout);
        } catch (const std::exception&) {
            ShowOpenError(fileName);
        }
    }
    w.InfoBar.SetPanel(2, std::to_string(m_userCtl.CurrentUserTable().RowCount()) + " users displayed");
    running.Release();
}

void UserTableFiles::ReadIntoTable(const std::string& fileName, Layout layout) {
    MainWindowState& w = m_window;
    const std::string bytes = ReadWholeFile(fileName);
    const std::vector<std::string> lines = NonEmptyLines(ExactText::TableFileText(bytes));
    UserTable& userTable = m_userCtl.CurrentTable();
    ReportList& table = userTable.Rows();
    if (layout == Layout::All) {
        // The rows are the file's: a save writes them as the file held them. Rows added to a
        // UTF-8 table stay UTF-8 whatever the file was.
        const bool utf8File = bytes.starts_with(ExactText::kUtf8Mark);
        userTable.KeepEncoding(utf8File || (table.RowCount() > 0 && userTable.Utf8()));
        table.BeginUpdate();
        for (const std::string& line : lines) table.AddRow(SplitTabs(line));
        table.EndUpdate();
        return;
    }

    // Keys: ids when the first line has one, else screen names from the second field.
    std::vector<std::string> keys;
    std::size_t keyField = 1;
    if (!lines.empty() && !SplitTabs(lines.front()).front().empty()) keyField = 0;
    for (const std::string& line : lines) {
        std::string key = Field(SplitTabs(line), keyField);
        if (!key.empty()) keys.push_back(std::move(key));  // a line without its key names nobody
    }
    // The look-up lets events run; the rows go to the table this command opened.
    m_profiles.GetUsers(w.TableEngine, keys, keyField == 0, false);
    m_profiles.FillUserTable(w.TableEngine.Users(), true, userTable);
    // The keys are in the file; opening it again brings the same rows back.
    userTable.SetUnsaved(false);
}

// ---- Import

std::vector<UserTableFiles::ProfilerAttributes> UserTableFiles::ReadProfilerAttributes(
    const std::string& text) {
    const std::vector<std::string> lines = NonEmptyLines(text);
    std::vector<ProfilerAttributes> result;
    if (lines.empty()) return result;
    // The first line tells the short form (five fields) from the wide one.
    const bool shortForm = SplitTabs(lines.front()).size() <= 5;
    const std::array<std::size_t, 3> positions =
        shortForm ? std::array<std::size_t, 3>{2, 3, 4} : std::array<std::size_t, 3>{23, 22, 24};
    for (const std::string& line : lines) {
        const std::vector<std::string> fields = SplitTabs(line);
        ProfilerAttributes attributes{Field(fields, 0), Field(fields, 1), {}};
        for (std::size_t k = 0; k < 3; ++k) attributes.values[k] = Field(fields, positions[k]);
        result.push_back(std::move(attributes));
    }
    return result;
}

void UserTableFiles::mImportProfiler_Click() {
    MainWindowState& w = m_window;
    FileDialogRequest request = w.Req.Request();
    request.fileName.clear();
    const std::string fileName = w.Tk.OpenFileDialog(request).value_or("");
    if (!SKDFuncs::FileExists(fileName)) return;

    std::vector<ProfilerAttributes> lines;
    try {
        lines = ReadProfilerAttributes(CodePage::FromWindows1252(ReadWholeFile(fileName)));
    } catch (const std::exception&) {
        ShowOpenError(fileName);
        return;
    }
    std::unordered_map<std::string, std::size_t> byId;
    std::unordered_map<std::string, std::size_t> byName;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].id.empty()) byId.emplace(lines[i].id, i);
        if (!lines[i].screenName.empty()) byName.emplace(lines[i].screenName, i);
    }
    ReportList& table = m_userCtl.CurrentUserTable();
    for (int row = 0; row < table.RowCount(); ++row) {
        std::size_t line = 0;
        if (const auto id = byId.find(std::string(table.Text(row))); id != byId.end()) {
            line = id->second;
        } else if (const auto name = byName.find(std::string(table.Cell(row, UserTable::kScreenName)));
                   name != byName.end()) {
            line = name->second;
        } else {
            continue;
        }
        const ProfilerAttributes& a = lines[line];
        table.SetCell(row, UserTable::kPrfGender, a.values[0]);
        table.SetCell(row, UserTable::kPrfAge, a.values[1]);
        table.SetCell(row, UserTable::kPrfConf, a.values[2]);
    }
}

}  // namespace marlin
