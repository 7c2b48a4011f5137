#pragma once
// Where a run's messages go: the GUI's output pane, the CLI's standard error, a string in tests.

#include <mutex>
#include <string>
#include <string_view>

namespace trimvale {

// What a parse or repair message tells besides its text: how grave it is and where it arose.
struct CMessageInfo {
  int level = 0;          // the error level the message stands for: 0 note, 1 error, 2 severe
  int line = 0;           // 1-based line of the page
  int column = 0;         // 1-based column, in characters of the decoded page
  std::string_view file;  // the page as the caller named it; empty when it has no name
};

class IOutputSink {
 public:
  virtual ~IOutputSink() = default;
  // Appends text as it stands (callers supply their own "\r\n" where a message has one).
  virtual void AppendText(std::string_view text) = 0;
  // Appends a parse or repair message. A sink that neither colours messages nor shows their
  // places keeps this default and prints exactly what it prints for AppendText.
  virtual void AppendReport(std::string_view text, const CMessageInfo& info) {
    static_cast<void>(info);
    AppendText(text);
  }
  // Removes everything shown so far.
  virtual void Clear() = 0;
  // Appends the string-table text of `id` followed by "\r\n".
  void AppendMessage(int id);
};

// Collects everything in a string; thread-safe so that a batch worker and a test can share it.
class CStringSink : public IOutputSink {
 public:
  void AppendText(std::string_view text) override;
  void Clear() override;
  std::string Text() const;

 private:
  mutable std::mutex mutex_;
  std::string text_;
};

// Drops everything.
class CNullSink : public IOutputSink {
 public:
  void AppendText(std::string_view) override {}
  void Clear() override {}
};

}  // namespace trimvale
