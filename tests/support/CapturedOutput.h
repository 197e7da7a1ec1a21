#pragma once
// Captures what the code under test writes to std::cout (its log lines) for
// as long as it lives.

#include <iostream>
#include <sstream>
#include <string>

namespace instala::testing {

class CapturedOutput {
 public:
  CapturedOutput() : old_(std::cout.rdbuf(buffer_.rdbuf())) {}
  ~CapturedOutput() { std::cout.rdbuf(old_); }
  CapturedOutput(const CapturedOutput&) = delete;
  CapturedOutput& operator=(const CapturedOutput&) = delete;

  std::string text() const { return buffer_.str(); }

 private:
  std::ostringstream buffer_;
  std::streambuf* old_;
};

}  // namespace instala::testing
