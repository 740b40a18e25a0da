/// @file
/// PelmoraAppOptions: the command-line options the application frame takes for every client
/// program, split off the program's own arguments.
///
///     --shot FILE      save the back buffer as a PNG file after frame N (see --frames), then end
///     --frames N       end after frame N (with --shot: the frame that is saved; 30 by default)
///     --size WxH       window and back buffer of W x H pixels instead of the program's own size
#pragma once
#include <string>
#include <vector>

/// The frame's options read from a command line, and the arguments left to the program.
struct PelmoraAppOptions {
    static constexpr int DefaultShotFrames = 30; ///< frame saved by `--shot` without `--frames`

    std::string shotFile;           ///< `--shot`: the PNG file to write; empty for none
    int frames = 0;                 ///< `--frames`: the last frame to run; 0 for no limit
    int width = 0;                  ///< `--size`: the asked width (see sizeGiven)
    int height = 0;                 ///< `--size`: the asked height
    bool sizeGiven = false;         ///< `--size` was given (0x0 included: the frame refuses it)
    bool scriptAsked = false;       ///< `--shot` or `--frames` is on the command line, even with a bad value
    std::vector<std::string> rest;  ///< every argument the frame does not take, in order
    std::string error;              ///< what is wrong with the command line; empty when it is sound

    /// True for a run that ends by itself (`--shot` or `--frames` anywhere on the command line, even
    /// one with a bad option): no message boxes, fixed frame time.
    bool scripted() const { return scriptAsked || !shotFile.empty() || frames > 0; }
};

/// Reads the options from the arguments after the program name, always the whole command line.
/// On a bad option (a missing value, a value that is another of the frame's options, a frame
/// count that is not a whole number from 1 to 1000000, a size that is not WxH with whole numbers)
/// returns false with out.error saying what the first one is; otherwise true. `--shot` without
/// `--frames` sets frames to DefaultShotFrames. out is reset first.
bool ParsePelmoraAppOptions(const std::vector<std::string>& args, PelmoraAppOptions& out);
