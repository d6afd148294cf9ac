#pragma once
// sulvanto's command line: how the show is watched (full screen, in a
// window) or captured (a video file or a PNG sequence, frame-exact on the
// soundtrack's clock). Parsed before anything starts; without arguments the
// show runs full screen as it always has.

#include <cstdint>
#include <cstdio>
#include <string>

class ShowOptions {
public:
    // What the program does with these options.
    enum class Action {
        SHOW, // run the show (full screen or windowed)
        CAPTURE, // capture it frame by frame
        HELP, // print the help on standard output and exit 0
        ERROR, // print the error line and the help on standard error and exit 2
    };

    static constexpr int DEFAULT_FPS = 60;
    static constexpr int MAX_FPS = 240;
    static constexpr int DEFAULT_WIDTH = 1024;
    static constexpr int DEFAULT_HEIGHT = 768;
    static constexpr int MIN_SIDE = 16;
    static constexpr int MAX_SIDE = 8192;

    // Parses `count` arguments (the program name left out). Options:
    // --window, --capture PATH, --fps N, --size WxH, --capture-seconds N,
    // --start S (before the show's end, Timeline::SHOW_END_MS), --help /
    // -h; a value may also follow the option after '=' (--fps=30). Empty arguments (two blanks in a row) are skipped. Never
    // throws; a bad command line gives Action::ERROR with its reason.
    static ShowOptions parse(const char* const* args, int count);
    // The options for a command line that had more arguments than the
    // program is handed (the rest would be dropped silently).
    static ShowOptions tooManyArguments(int maxArgs);

    // The help text, several lines ending with a newline.
    static const char* helpText();

    // Prints what HELP and ERROR print (the help on `out`; the error line
    // "sulvanto: <reason>" and the help on `err`) and returns the exit code
    // (0 or 2); prints nothing and returns -1 for SHOW and CAPTURE.
    int report(std::FILE* out, std::FILE* err) const;

    Action action = Action::SHOW;
    std::string error; // ERROR: what was wrong, naming the option
    bool windowed = false; // --window
    std::string capturePath; // --capture
    bool pngSequence = false; // the capture path ends in '/': a folder of PNG files
    int fps = DEFAULT_FPS;
    int width = DEFAULT_WIDTH; // capture size
    int height = DEFAULT_HEIGHT;
    double captureSeconds = 0.0; // > 0: stop after this much of the show; 0: the whole show
    double startSeconds = 0.0; // --start: the music time the show (or the capture) starts at

    // The music time --start asks for, in whole milliseconds (rounded).
    uint32_t startMs() const;
};
