// The user table file readers on arbitrary file contents, through the window's own Open
// command: a whole table (".mut") into a named table, user keys (".muk") into a look-up,
// and the classifier's output file.

#include "workspace/users/user_table_files.h"
#include "core/code_page.h"
#include "fuzz_support.h"
#include "platform/testing/scripted_toolkit.h"
#include "refusing_http_request.h"
#include "workspace/frm_main.h"

using marlin::frmMain;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    marlin::fuzz::PinTimeZone();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const marlin::fuzz::Input input(data, size);
    const bool keys = input.Flag(0);
    marlin::testing::ScriptedToolkit toolkit;
    frmMain window(toolkit, marlin::fuzz::RefusingHttpRequest::Factory(), "http://127.0.0.1:9",
                   marlin::fuzz::ScratchFolder());
    const std::string path =
        marlin::fuzz::WriteScratch(keys ? "users.muk" : "users.mut", input.text).string();

    toolkit.fileDialogAnswers.push_back(path);
    window.mOpenUsers_Click(keys ? 0 : 1);
    marlin::MainWindowState& w = window.State();
    FUZZ_CHECK(!w.Run.Busy());
    FUZZ_CHECK(w.InfoBar.Panel(2) == std::to_string(w.CurrentUserTable().RowCount()) + " users displayed");
    if (!keys) {
        // Every line that is not empty once its line end is gone becomes a row.
        const std::string text = marlin::CodePage::FromWindows1252(input.text);
        std::size_t lines = 0;
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            std::size_t length = end - start;
            if (length > 0 && text[end - 1] == '\r') --length;
            lines += length > 0;
            start = end + 1;
        }
        FUZZ_CHECK(static_cast<std::size_t>(w.CurrentUserTable().RowCount()) == lines);
    }

    // The same file as the classifier's output, matched against the rows just read.
    toolkit.fileDialogAnswers.push_back(path);
    window.mImportProfiler_Click();
    FUZZ_CHECK(toolkit.messages.empty() || keys);
    return 0;
}
