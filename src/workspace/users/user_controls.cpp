#include "workspace/users/user_controls.h"

namespace marlin {

UserControls::UserControls() {
    UTList.SetCheckBoxes(false);
    UserTables.push_back(std::make_unique<UserTable>("Tweets"));
}

}  // namespace marlin
