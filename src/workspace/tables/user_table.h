#pragma once

#include <array>
#include <string>

#include "platform/report_list.h"
#include "workspace/tables/table_encoding.h"

namespace marlin {

// A user table as data: one row per account with its 37 columns (the profile, the derived
// figures, the classifier's and the samples' columns), its name, the file it was last saved
// to or opened from, how that file is encoded (TableEncoding), and whether it holds rows
// from the service not saved since. The window's list view shows the rows; the file
// writers and the exports read them; the command line fills one from a look-up without
// any window.
class UserTable : public TableEncoding {
  public:
    // Column positions (0 is the row text).
    enum Column : int {
        kId = 0,
        kScreenName = 1,
        kLanguage = 5,
        kUtcOffset = 9,
        kFollowers = 10,
        kFriends = 11,
        kStatusCount = 12,
        kCreatedAt = 14,
        kBackground = 19,
        kFFRatio = 20,
        kTwtDay = 21,
        kPrfTwtSamp = 22,
        kPrfBDayTwts = 23,
        kPrfGender = 24,
        kPrfAge = 25,
        kPrfConf = 26,
        kTLTwtDay = 27,
        kTLPctRT = 28,
        kTLAvRT = 29,
        kTLPctGeo = 30,
        kTwNoTwts = 31,
        kTwAvSentPos = 32,
        kTwAvSentNeg = 33,
        kTwPctRT = 34,
        kTwAvRT = 35,
        kTwMaxRT = 36,
    };
    static constexpr int kColumnCount = 37;
    static const std::array<const char*, kColumnCount> kHeaders;

    // The 37 columns and check boxes, no rows.
    static void CreateColumns(ReportList& rows);

    explicit UserTable(std::string name = {}) : m_name(std::move(name)) { CreateColumns(m_rows); }

    ReportList& Rows() { return m_rows; }
    const ReportList& Rows() const { return m_rows; }
    int Count() const { return m_rows.RowCount(); }

    const std::string& Name() const { return m_name; }
    void SetName(std::string name) { m_name = std::move(name); }
    const std::string& File() const { return m_file; }
    void SetFile(std::string file) { m_file = std::move(file); }
    // Rows or cells from the service not saved since; an empty table has nothing to lose.
    bool Unsaved() const { return m_unsaved && m_rows.RowCount() > 0; }
    void SetUnsaved(bool unsaved) { m_unsaved = unsaved; }

  private:
    ReportList m_rows;
    std::string m_name;
    std::string m_file;
    bool m_unsaved = false;
};

}  // namespace marlin
