#include "platform/toolkit.h"

namespace marlin {

bool Toolkit::ShowForm(const std::string& title, const std::string& note, std::vector<FormField>& fields) {
    for (std::size_t k = 0; k < fields.size(); ++k) {
        const std::string prompt =
            k == 0 && !note.empty() ? note + "\n\n" + fields[k].label : fields[k].label;
        std::string answer = InputBox(prompt, title, fields[k].answer);
        if (answer.empty()) return false;
        fields[k].answer = std::move(answer);
    }
    return true;
}

}  // namespace marlin
