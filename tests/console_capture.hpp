#ifndef QUORVA_TESTS_CONSOLE_CAPTURE_HPP
#define QUORVA_TESTS_CONSOLE_CAPTURE_HPP

#include <unistd.h>

#include <cstdio>
#include <string>

#include "output/message_channel.hpp"

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
  std::string take() {
    std::string text;
    if (file_ == nullptr) {
      return text;
    }
    std::fflush(file_);
    std::rewind(file_);
    for (int ch = std::fgetc(file_); ch != EOF; ch = std::fgetc(file_)) {
      text.push_back(static_cast<char>(ch));
    }
    std::rewind(file_);
    [[maybe_unused]] const int emptied = ftruncate(fileno(file_), 0);
    return text;
  }

 private:
  std::FILE* file_;
};

#endif
