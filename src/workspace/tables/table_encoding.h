#pragma once

namespace marlin {

// How a table's file is encoded: UTF-8 with its mark ("Keep Texts Exactly") or the
// single-byte code page. A table opened from a file or saved to one keeps that file's
// encoding whatever the setting says later: rewriting a UTF-8 table in the code page would
// turn its emoji and scripts into "?". The setting decides only a table without a file of
// its own. The Tweets table and the user tables follow the same rule.
class TableEncoding {
  public:
    bool Utf8() const { return m_utf8; }
    // The setting changed: it reaches the table unless a file decided already.
    void SetUtf8(bool utf8) {
        if (!m_encodingKept) m_utf8 = utf8;
    }
    void KeepEncoding(bool utf8) {
        m_utf8 = utf8;
        m_encodingKept = true;
    }
    // New rows from the service into an emptied table: the setting decides again.
    void ForgetEncoding(bool utf8) {
        m_encodingKept = false;
        m_utf8 = utf8;
    }

  private:
    bool m_utf8 = false;
    bool m_encodingKept = false;
};

}  // namespace marlin
