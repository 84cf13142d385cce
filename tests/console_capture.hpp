#ifndef QUORVA_TESTS_CONSOLE_CAPTURE_HPP
#define QUORVA_TESTS_CONSOLE_CAPTURE_HPP

#include <unistd.h>

#include <cstdio>
#include <string>

#include "output/message_channel.hpp"

// What was written to a scratch stream since the last call; the stream is emptied for the next.
inline std::string takeWritten(std::FILE* stream) {
  std::string text;
  if (stream == nullptr) {
    return text;
  }
  std::fflush(stream);
  std::rewind(stream);
  for (int ch = std::fgetc(stream); ch != EOF; ch = std::fgetc(stream)) {
    text.push_back(static_cast<char>(ch));
  }
  std::rewind(stream);
  [[maybe_unused]] const int emptied = ftruncate(fileno(stream), 0);
  return text;
}

// Holds what the program writes to the console while it lives, through the channel's sink.
class ConsoleCapture {
 public:
  ConsoleCapture() : file_(std::tmpfile()) { setConsoleSink(file_); }
  ~ConsoleCapture() {
    setConsoleSink(nullptr);
    if (file_ != nullptr) {
      std::fclose(file_);
    }
  }
  ConsoleCapture(const ConsoleCapture&) = delete;
  ConsoleCapture& operator=(const ConsoleCapture&) = delete;

  // What was written since the last call; the capture starts empty again.
  std::string take() { return takeWritten(file_); }

 private:
  std::FILE* file_;
};

#endif
