#pragma once
// Where a run's messages go: the GUI's output pane, the CLI's standard error, a string in tests.

#include <mutex>
#include <string>
#include <string_view>

namespace trimvale {

class IOutputSink {
 public:
  virtual ~IOutputSink() = default;
  // Appends text as it stands (callers supply their own "\r\n" where a message has one).
  virtual void AppendText(std::string_view text) = 0;
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
