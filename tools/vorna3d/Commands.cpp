#include "Command.h"

namespace vorna3d_tool {

const Command COMMANDS[] = {
    {"ls", "ARCHIVE", "list the entries of a TAR archive (plain or gzipped): SIZE NAME per line", 1, 1,
     archivePoolBytes, runLs},
    {"cat", "ARCHIVE NAME", "write one entry of a TAR archive to standard output", 2, 2, archivePoolBytes, runCat},
    {"pack", "OUT.tar[.gz] FILE...", "write the files into a ustar archive, gzipped when OUT ends in .gz", 2, -1,
     smallPoolBytes, runPack},
    {"info", "[--all] FILE | [ARCHIVE] FONT.txt",
     "describe an image, scene or font file (--all: every object of a scene file; a font in its folder or in ARCHIVE)",
     1, 2, infoPoolBytes, runInfo},
    {"convert", "IN.m3g OUT.m3g [--compress] [--embed-images]",
     "read a scene file and write it again (zlib sections with --compress; images of other files written into it "
     "with --embed-images)",
     2, 4, convertPoolBytes, runConvert},
    {"pixel", "FILE X Y [X Y]...", "the bytes of image pixels in hex (RRGGBB or RRGGBBAA), one line each", 3, -1,
     imagePoolBytes, runPixel},
    {"play", "FILE.m3g [--fit] [--shot=MS:FILE.png]...",
     "show a scene file animated in a window with a free camera (--fit: framed on it; --shot: write the frame at MS "
     "ms of world time; keys: vorna3d help play)",
     1, -1, playPoolBytes, runPlay, true, PLAY_HELP},
    {nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr},
};

const Command* findCommand(const std::string& name)
{
    for (const Command* command = COMMANDS; command->name; ++command)
        if (name == command->name)
            return command;
    return nullptr;
}

} // namespace vorna3d_tool
