#include <cstdlib>

#include "output/message_channel.hpp"
#include "run/report_file.hpp"
#include "run/run_sequence.hpp"

int main(int argc, char** argv) {
  useConsoleBuffer();
  // A report file still open when the process ends by exit() is flushed and closed all the same.
  std::atexit(closeReportFile);
  return runProgram(argc, argv);
}
