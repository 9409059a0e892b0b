// Writes the demo folder: a made-up firmware image, its settings file and a plug-in.
#include <cstdio>

#include "demo/demo_firmware.h"

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    if (!velmora::demo::writeDemoFolder(argv[1])) {
        std::fprintf(stderr, "cannot write the demo files into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
