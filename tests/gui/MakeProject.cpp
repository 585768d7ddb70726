// gui_make_project FILE COUNT: a project file of COUNT series, for measuring how
// long the program takes to open a large project.
#include <cstdio>
#include <cstdlib>

#include "ProjectFixture.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: gui_make_project FILE COUNT\n");
        return 2;
    }
    const int count = std::atoi(argv[2]);
    if (count < 0 || count > 65535) {
        std::fprintf(stderr, "gui_make_project: COUNT must be 0 to 65535\n");
        return 2;
    }
    if (!GuiFixture::WriteProject(argv[1], count)) {
        std::fprintf(stderr, "gui_make_project: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
