#pragma once
// Command-line builders for the external tools: a program, an ordered list of
// options (name and value; a flag has an empty value) and one input file.
//
// Two renderings: BuildArguments gives the argument vector that actually runs
// (program, each option's name and non-empty value, the input file);
// BuildCommandLine gives the same as one line of text for logs and tests.
// No shell ever sees either.
//
// Threads: a builder belongs to the thread that made it.

#include <QString>
#include <QStringList>

#include <vector>

struct CmdOption {
    QString name; // with its leading "-"
    QString value;
};

class CCmdOpts {
  public:
    CCmdOpts() = default;
    virtual ~CCmdOpts();
    CCmdOpts(const CCmdOpts&) = default;
    CCmdOpts& operator=(const CCmdOpts&) = default;

    // The class name, for dynamic creation with CreateCmdOpts (CmdOptsFactory.h).
    virtual const char* ClassName() const { return "CCmdOpts"; }

    // Stored with surrounding double quotes unless it already has them.
    virtual void SetInputFile(const QString& path);
    // SetOption with an empty value.
    virtual void AddFlag(const QString& name);
    // Replaces the value of an existing option in place, else appends it.
    void SetOption(const QString& name, const char* format, ...) __attribute__((format(printf, 3, 4)));
    // Appends separator + value to an existing option's value; without one,
    // appends a new option when `create` is nonzero, else does nothing.
    void AppendOption(const QString& name, int create, const QString& separator, const char* format, ...)
        __attribute__((format(printf, 5, 6)));
    virtual void SetOptionValue(const QString& name, const QString& value);
    virtual void AppendOptionValue(const QString& name, int create, const QString& separator,
                                   const QString& value);
    // Removes every option of that name (names compare case-sensitively).
    virtual void RemoveOption(const QString& name);
    virtual void ClearOptions();
    // Reads options from a text like "-vo x11 -quiet"; only tools that take
    // user option texts do anything here.
    virtual void ParseOptions(const QString& text);

    // Prefix, then " name value" per option, then " " and the quoted input
    // file. The text stays valid until the builder changes.
    virtual const QString& BuildCommandLine();
    // Program, options in order (a flag is one argument, an option with a
    // value two), the input file without its quotes.
    virtual QStringList BuildArguments() const;

    const QString& Program() const { return program_; }
    const QString& Prefix() const { return prefix_; }
    const QString& InputFile() const { return inputFile_; }
    const QString& CommandLine() const { return commandLine_; }
    const std::vector<CmdOption>& Options() const { return options_; }

  protected:
    // The tool to run; the prefix becomes its quoted path.
    void SetProgram(const QString& program);
    QString RenderCommon() const;
    // The option-text reader shared by the player and the encoder.
    void ParseOptionText(const QString& text);
    void StoreCommandLine(const QString& text) { commandLine_ = text; }
    // Replaces the value of the option of that name in `list`, else appends it.
    static void SetIn(std::vector<CmdOption>& list, const QString& name, const QString& value);

  private:
    std::vector<CmdOption> options_;
    QString prefix_;
    QString commandLine_;
    QString inputFile_;
    QString program_;
};
