#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <string>

#include "tools/PluginModule.h"

namespace tarn {

namespace {

std::string executableDirectory() {
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    path[n] = '\0';
    std::string dir(path);
    const size_t slash = dir.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : dir.substr(0, slash);
}

bool fileExists(const std::string &path) { return ::access(path.c_str(), F_OK) == 0; }

}  // namespace

PluginModule::~PluginModule() { unload(); }

bool PluginModule::load(const std::string &path, std::string &error) {
    unload();
    // A bare file name would make dlopen search the library path instead of
    // the current directory.
    const std::string target = path.find('/') == std::string::npos ? "./" + path : path;
    if (!fileExists(target)) {
        error = "plug-in module " + path + " not found";
        return false;
    }
    dlerror();
    handle_ = ::dlopen(target.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char *why = dlerror();
        error = "cannot load plug-in module " + path + ": " + (why ? why : "unknown error");
        return false;
    }
    static const char *const kEntryNames[] = {"VSTPluginMain", "main"};
    for (const char *name : kEntryNames) {
        dlerror();
        void *symbol = ::dlsym(handle_, name);
        if (symbol && !dlerror()) {
            entry_ = reinterpret_cast<PluginEntry>(symbol);
            entryName_ = name;
            return true;
        }
    }
    unload();
    error = "plug-in module " + path + " has no entry point (neither VSTPluginMain nor main)";
    return false;
}

void PluginModule::unload() {
    if (handle_) ::dlclose(handle_);
    handle_ = nullptr;
    entry_ = nullptr;
    entryName_.clear();
}

std::string defaultPluginPath() {
    const std::string dir = executableDirectory();
    const size_t slash = dir.rfind('/');
    const std::string parent = slash == std::string::npos ? "." : (slash == 0 ? "/" : dir.substr(0, slash));
    const std::string above = parent + (parent == "/" ? "" : "/") + "tarnwell.so";
    if (fileExists(above)) return above;
    const std::string beside = dir + (dir == "/" ? "" : "/") + "tarnwell.so";
    return fileExists(beside) ? beside : above;
}

}  // namespace tarn
