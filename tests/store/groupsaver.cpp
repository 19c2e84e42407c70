// Kills saves at random moments for the group file test. For every line read
// from stdin it forks a child that saves the group over and over, alternating
// two contents, prints the child's pid, waits for the test to kill it and
// prints "gone". Forking spares the test a slow process start per kill.
#include "crashcontent.h"
#include "store/groupfile.h"

#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: groupsaver <group file> <temporary file>\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const QString temp = QString::fromLocal8Bit(argv[2]);
    const QList<TextEntry> contents[2] = {crashContent(false), crashContent(true)};
    char command[16];
    while (std::fgets(command, sizeof command, stdin)) {
        const pid_t child = ::fork();
        if (child < 0)
            return 1;
        if (child == 0) {
            for (int i = 1;; ++i)
                saveGroupFile(path, temp, contents[i % 2]);
        }
        std::printf("%d\n", int(child));
        std::fflush(stdout);
        int status = 0;
        ::waitpid(child, &status, 0);
        std::printf("gone\n");
        std::fflush(stdout);
    }
    return 0;
}
