#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "framework/platform/Platform.h"

namespace tibo {
namespace {

// "<base>/tibo/", made if missing; "" when it cannot be made or is no folder.
std::string GameFolderIn(const std::string& base) {
    if (base.empty() || base[0] != '/') return {};
    std::string dir = base;
    if (dir.back() != '/') dir += '/';
    dir += "tibo/";
    std::error_code failed;
    std::filesystem::create_directories(dir, failed);
    if (!std::filesystem::is_directory(dir, failed)) return {};
    return dir;
}

}  // namespace

std::string UserConfigDir() {
    // $XDG_DATA_HOME/tibo/ when that variable names a folder by an absolute
    // path; an empty or relative one counts as unset. When it cannot be used
    // (it names a file, say), the home folder's default is taken, never the
    // current folder. The browser's page names the folder it keeps in the
    // browser's storage here (app/web/storage.js).
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr) {
        if (std::string dir = GameFolderIn(data); !dir.empty()) return dir;
    }
    std::string home;
    if (const char* h = std::getenv("HOME"); h != nullptr && h[0] == '/') {
        home = h;
    } else if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr) {
        home = user->pw_dir;
    }
    if (home.empty()) return {};
    return GameFolderIn(home + "/.local/share");
}

}  // namespace tibo
