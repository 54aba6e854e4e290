#include "nofeatures.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/types.h>
#include <sys/xattr.h>

namespace {
bool g_plain = false;

template <class F> F Real(const char *name) { return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name)); }
} // namespace

void SetPlainFileSystem(bool on) { g_plain = on; }

extern "C" {

int openat(int folder, const char *path, int flags, ...)
{
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list args;
        va_start(args, flags);
        mode = static_cast<mode_t>(va_arg(args, int));
        va_end(args);
    }
    if (g_plain && (flags & O_TMPFILE) == O_TMPFILE) {
        errno = EOPNOTSUPP;
        return -1;
    }
    static const auto real = Real<int (*)(int, const char *, int, ...)>("openat");
    return real(folder, path, flags, mode);
}

int renameat2(int from, const char *oldPath, int to, const char *newPath, unsigned int flags)
{
    if (g_plain && flags != 0) {
        errno = EINVAL;
        return -1;
    }
    static const auto real = Real<int (*)(int, const char *, int, const char *, unsigned int)>("renameat2");
    return real(from, oldPath, to, newPath, flags);
}

ssize_t flistxattr(int fd, char *list, size_t size)
{
    if (g_plain) {
        errno = ENOTSUP;
        return -1;
    }
    static const auto real = Real<ssize_t (*)(int, char *, size_t)>("flistxattr");
    return real(fd, list, size);
}

int fsetxattr(int fd, const char *name, const void *value, size_t size, int flags)
{
    if (g_plain) {
        errno = ENOTSUP;
        return -1;
    }
    static const auto real = Real<int (*)(int, const char *, const void *, size_t, int)>("fsetxattr");
    return real(fd, name, value, size, flags);
}

} // extern "C"
