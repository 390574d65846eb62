#pragma once
// Opening the files the player reads (streams, tags, the command-line tool). A settings file or a user
// may name anything: a FIFO that would block for ever, a device that never ends, a folder. Only a regular
// file (after following symbolic links) is opened.

#include <string>

namespace lumora::audio {

// A descriptor open for reading on the regular file `path`, or -1 with `error` (when given) saying why
// not ("<path>: not a regular file", "<path>: not found", ...). Never waits on a FIFO or a device.
int openAudioFile(const std::string& path, std::string* error = nullptr);

}  // namespace lumora::audio
