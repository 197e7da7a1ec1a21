#pragma once
// Captures what the code under test writes to std::cout (its log lines), or to
// another stream such as std::cerr, for as long as it lives.

#include <iostream>
#include <sstream>
#include <string>

namespace instala::testing {

class CapturedOutput {
 public:
  explicit CapturedOutput(std::ostream& stream = std::cout) : stream_(stream), old_(stream.rdbuf(buffer_.rdbuf())) {}
  ~CapturedOutput() { stream_.rdbuf(old_); }
  CapturedOutput(const CapturedOutput&) = delete;
  CapturedOutput& operator=(const CapturedOutput&) = delete;

  std::string text() const { return buffer_.str(); }

 private:
  std::ostringstream buffer_;
  std::ostream& stream_;
  std::streambuf* old_;
};

}  // namespace instala::testing
