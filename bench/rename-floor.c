/* The least a rename of many names can cost: one renameat2(RENAME_NOREPLACE)
 * a name (and, with --statx, one statx before it, as a program that knows
 * what it renames must make). Reads NUL-separated paths from standard input;
 * adds "x_" before each name, or takes it off with --off. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

int main(int argc, char** argv)
{
    int off = 0, look = 0;
    for (int i = 1; i < argc; ++i) {
        off |= strcmp(argv[i], "--off") == 0;
        look |= strcmp(argv[i], "--statx") == 0;
    }
    static char path[65536], target[65536];
    size_t size = 0;
    int c;
    while ((c = getchar()) != EOF) {
        if (c != '\0') {
            if (size + 1 < sizeof path)
                path[size++] = (char)c;
            continue;
        }
        path[size] = '\0';
        size = 0;
        const char* slash = strrchr(path, '/');
        const size_t folder = slash ? (size_t)(slash - path + 1) : 0;
        memcpy(target, path, folder);
        if (off)
            strcpy(target + folder, path + folder + 2);
        else
            strcpy(stpcpy(target + folder, "x_"), path + folder);
        struct statx info;
        if (look && statx(AT_FDCWD, path, AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS, &info) != 0)
            continue;
        if (renameat2(AT_FDCWD, path, AT_FDCWD, target, RENAME_NOREPLACE) != 0)
            return 1;
    }
    return 0;
}
