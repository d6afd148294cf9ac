#include "demo/ShowOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "demo/Timeline.h"

namespace {

constexpr const char* HELP =
    "usage: sulvanto [--window] [--start S]\n"
    "       sulvanto --capture OUT.mp4|DIR/ [--fps N] [--size WxH] [--start S] [--capture-seconds N]\n"
    "\n"
    "Without options the show runs full screen; Q or Escape ends it.\n"
    "  --window               show it in a 1024 x 768 window instead\n"
    "  --capture PATH         render every frame at its exact music time, without a\n"
    "                         window, into PATH: a video file (H.264 with the\n"
    "                         soundtrack, made by ffmpeg) or, for a path ending in\n"
    "                         '/', a folder of PNG files frame_00000.png, ...\n"
    "  --fps N                capture frames per second, 1 to 240 (default 60)\n"
    "  --size WxH             capture size, 16 to 8192 each way (default 1024x768);\n"
    "                         the 4:3 picture fitted inside it is what is stored\n"
    "                         (1920x1080 gives 1440x1080)\n"
    "  --capture-seconds N    capture only N seconds (N > 0, may be fractional;\n"
    "                         default: to the end of the show)\n"
    "  --start S              start the show, its music and the capture S seconds\n"
    "                         in (may be fractional; the show ends at 278.35 s):\n"
    "                         every frame is the one a run from the start shows\n"
    "                         at that time; PNG files keep their numbers from a\n"
    "                         capture of the whole show\n"
    "  -h, --help             print this help\n"
    "Options may also be written --fps=30. Paths cannot contain blanks.\n";

// Whole decimal number without sign or trailing text, at most 9 digits.
bool parseCount(const char* text, int& value)
{
    const size_t length = std::strlen(text);
    if (length == 0 || length > 9)
        return false;
    value = 0;
    for (size_t i = 0; i < length; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

bool parseSize(const char* text, int& width, int& height)
{
    const char* x = std::strchr(text, 'x');
    if (!x)
        x = std::strchr(text, 'X');
    if (!x)
        return false;
    const std::string w(text, x);
    return parseCount(w.c_str(), width) && parseCount(x + 1, height);
}

// A plain decimal number (digits with an optional fraction): no sign, no
// exponent, no "inf" or "nan".
bool parseSeconds(const char* text, double& value)
{
    const size_t length = std::strlen(text);
    if (length == 0 || std::strspn(text, "0123456789.") != length ||
        std::strchr(text, '.') != std::strrchr(text, '.') || std::strcmp(text, ".") == 0)
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text, &end);
    return errno == 0 && end && *end == '\0' && std::isfinite(value);
}

ShowOptions failure(std::string reason)
{
    ShowOptions options;
    options.action = ShowOptions::Action::ERROR;
    options.error = std::move(reason);
    return options;
}

} // namespace

const char* ShowOptions::helpText()
{
    return HELP;
}

ShowOptions ShowOptions::tooManyArguments(int maxArgs)
{
    return failure("too many arguments (at most " + std::to_string(maxArgs) + ")");
}

ShowOptions ShowOptions::parse(const char* const* args, int count)
{
    ShowOptions options;
    bool help = false;
    bool capture = false;
    bool fps = false;
    bool size = false;
    bool seconds = false;
    bool start = false;

    for (int i = 0; i < count; ++i) {
        const char* arg = args[i] ? args[i] : "";
        if (!*arg)
            continue;
        // "--name=value" or "--name value".
        std::string name = arg;
        const char* inlineValue = nullptr;
        if (name.rfind("--", 0) == 0) {
            const size_t equals = name.find('=');
            if (equals != std::string::npos) {
                inlineValue = arg + equals + 1;
                name.resize(equals);
            }
        }
        auto value = [&](const char*& out) {
            if (inlineValue) {
                out = inlineValue;
                return true;
            }
            if (i + 1 < count && args[i + 1] && *args[i + 1]) {
                out = args[++i];
                return true;
            }
            return false;
        };
        auto takesNoValue = [&]() { return inlineValue == nullptr; };

        const char* text = nullptr;
        if (name == "--help" || name == "-h") {
            if (!takesNoValue())
                return failure(name + " takes no value");
            help = true;
        } else if (name == "--window") {
            if (!takesNoValue())
                return failure("--window takes no value");
            options.windowed = true;
        } else if (name == "--capture") {
            // "--capture --fps 30": the path was forgotten.
            if (!value(text) || !*text || std::strncmp(text, "--", 2) == 0)
                return failure("--capture needs a path (a video file, or a folder ending in '/')");
            if (capture)
                return failure("--capture given twice");
            capture = true;
            options.capturePath = text;
            options.pngSequence = options.capturePath.back() == '/';
#ifdef _WIN32
            // Windows' own folder separator ends a folder's path as well.
            options.pngSequence = options.pngSequence || options.capturePath.back() == '\\';
#endif
        } else if (name == "--fps") {
            if (!value(text))
                return failure("--fps needs a number");
            if (!parseCount(text, options.fps) || options.fps < 1 || options.fps > MAX_FPS)
                return failure("--fps: '" + std::string(text) + "' is not a whole number from 1 to " +
                               std::to_string(MAX_FPS));
            fps = true;
        } else if (name == "--size") {
            if (!value(text))
                return failure("--size needs WIDTHxHEIGHT");
            if (!parseSize(text, options.width, options.height) || options.width < MIN_SIDE ||
                options.height < MIN_SIDE || options.width > MAX_SIDE || options.height > MAX_SIDE)
                return failure("--size: '" + std::string(text) + "' is not WIDTHxHEIGHT with each side from " +
                               std::to_string(MIN_SIDE) + " to " + std::to_string(MAX_SIDE));
            size = true;
        } else if (name == "--capture-seconds") {
            if (!value(text))
                return failure("--capture-seconds needs a number of seconds");
            if (!parseSeconds(text, options.captureSeconds) || !(options.captureSeconds > 0.0) ||
                options.captureSeconds > 24.0 * 3600.0)
                return failure("--capture-seconds: '" + std::string(text) + "' is not a number of seconds above 0");
            seconds = true;
        } else if (name == "--start") {
            if (!value(text))
                return failure("--start needs a number of seconds");
            if (start)
                return failure("--start given twice");
            if (!parseSeconds(text, options.startSeconds))
                return failure("--start: '" + std::string(text) + "' is not a number of seconds");
            if (options.startMs() >= Timeline::SHOW_END_MS) {
                char end[32];
                std::snprintf(end, sizeof end, "%.2f", Timeline::SHOW_END_MS / 1000.0);
                return failure("--start: " + std::string(text) + " s is past the show's end (" + end + " s)");
            }
            start = true;
        } else {
            return failure("unknown option '" + std::string(arg) + "'");
        }
    }

    if (help) {
        ShowOptions result;
        result.action = Action::HELP;
        return result;
    }
    if (!capture && (fps || size || seconds))
        return failure(std::string(fps ? "--fps" : size ? "--size" : "--capture-seconds") + " needs --capture");
    if (capture && options.windowed)
        return failure("--window and --capture do not go together (a capture shows no window)");
    options.action = capture ? Action::CAPTURE : Action::SHOW;
    return options;
}

uint32_t ShowOptions::startMs() const
{
    // Far past the show's end for anything parse lets through.
    return startSeconds >= 1e7 ? UINT32_MAX : static_cast<uint32_t>(std::llround(startSeconds * 1000.0));
}

int ShowOptions::report(std::FILE* out, std::FILE* err) const
{
    switch (action) {
    case Action::HELP:
        std::fputs(HELP, out);
        std::fflush(out);
        return 0;
    case Action::ERROR:
        std::fprintf(err, "sulvanto: %s\n%s", error.c_str(), HELP);
        std::fflush(err);
        return 2;
    case Action::SHOW:
    case Action::CAPTURE:
        break;
    }
    return -1;
}
