// Installs the private user folders before main runs.
#include "tests/private_user_folders.h"

namespace {
const bool installed = (testenv::privateUserFolders(), true);
}
