// Where norvik-cli's text goes: results to standard output, messages and progress to standard
// error, both in UTF-8 (on a Windows console as UTF-16 through WriteConsoleW, so Korean names
// show correctly whatever the console's code page).
#pragma once

#include <string>
#include <string_view>

namespace norvik {

class Console {
  public:
    virtual ~Console() = default;
    // Results; may be held back until flush() or until a line ends a large buffer.
    virtual void out(std::string_view text) = 0;
    // Messages, written at once.
    virtual void err(std::string_view text) = 0;
    virtual void flush() {}
    // True when standard error is a terminal (progress is shown only then).
    virtual bool err_is_terminal() const { return false; }
    // True when standard output is a terminal (names are shown with control characters escaped).
    virtual bool out_is_terminal() const { return false; }
    // Why results could not be written (the system's reason: a full disk, a closed output), or
    // empty while every write went through. After a failure nothing more is written.
    virtual std::string out_error() const { return {}; }
};

// The process's standard output and error.
class SystemConsole final : public Console {
  public:
    SystemConsole();
    ~SystemConsole() override;
    SystemConsole(const SystemConsole&) = delete;
    SystemConsole& operator=(const SystemConsole&) = delete;

    void out(std::string_view text) override;
    void err(std::string_view text) override;
    void flush() override;
    bool err_is_terminal() const override;
    bool out_is_terminal() const override;
    std::string out_error() const override { return out_error_; }

  private:
    void write_out(std::string_view text);

    std::string pending_;    // whole lines of standard output not yet written
    std::string out_error_;  // the first failure to write standard output
};

// Writes text to the standard output (false) or error (true) stream as the platform wants it.
// Empty when all of it was written, else the system's reason.
std::string write_standard_stream(bool error_stream, std::string_view text);
bool standard_error_is_terminal();
bool standard_output_is_terminal();

}  // namespace norvik
