#ifndef QUORVA_OUTPUT_ASCII_HPP
#define QUORVA_OUTPUT_ASCII_HPP

// Character tests in ASCII alone, so that reading a list never depends on the locale. Every
// subsystem reads text, so they live in the lowest one.

/// '0' to '9'.
constexpr bool isDigit(char ch) { return ch >= '0' && ch <= '9'; }
/// 'a' to 'z' and 'A' to 'Z'.
constexpr bool isAsciiLetter(char ch) {
  return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z');
}
/// 'A' to 'Z' lowered; every other character unchanged.
constexpr char asciiLower(char ch) {
  return (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch;
}

#endif
