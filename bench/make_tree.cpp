// Generates a tree of small files for the benchmarks: make_tree DIR FOLDERS FILES_PER_FOLDER [BYTES]
// Folders are spread two levels deep (about sqrt(FOLDERS) per level) so that the walk recurses.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: make_tree DIR FOLDERS FILES_PER_FOLDER [BYTES]\n");
        return 2;
    }
    const std::string root = argv[1];
    const long folders = std::atol(argv[2]);
    const long files = std::atol(argv[3]);
    const long bytes = argc > 4 ? std::atol(argv[4]) : 100;
    const long perLevel = static_cast<long>(std::ceil(std::sqrt(static_cast<double>(folders))));
    const std::string content(static_cast<std::size_t>(bytes), 'x');

    ::mkdir(root.c_str(), 0777);
    for (long f = 0; f < folders; ++f) {
        const std::string top = root + "/dir" + std::to_string(f / perLevel);
        ::mkdir(top.c_str(), 0777);
        const std::string folder = top + "/sub" + std::to_string(f % perLevel);
        ::mkdir(folder.c_str(), 0777);
        for (long i = 0; i < files; ++i) {
            const std::string path = folder + "/file" + std::to_string(i) + ".txt";
            const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
            if (fd < 0 || ::write(fd, content.data(), content.size()) != static_cast<ssize_t>(content.size())) {
                std::perror(path.c_str());
                return 1;
            }
            ::close(fd);
        }
    }
    return 0;
}
