#pragma once

#include <QString>

#include <exception>
#include <string>

namespace ds::db {

// Error numbers the callers test, with the numbering of the database engine the program was
// first written against, so that the reactions of the content search and the viewer stay keyed
// to the same numbers.
namespace err {
constexpr int PermissionDenied = 70;    // file may not be read
constexpr int PathFileAccess = 75;      // I/O error while reading
constexpr int NoCurrentRecord = 3021;   // moved past the end, or empty table
constexpr int FileNotFound = 3024;      // database file (or a memo file) missing
constexpr int NotAPassword = 3031;      // password missing or wrong
constexpr int InvalidPath = 3044;       // folder of a one-table format missing
constexpr int FileInUse = 3045;         // file locked by another program
constexpr int CorruptDatabase = 3049;   // structure damaged, found while reading
constexpr int CannotOpenFile = 3051;    // file exists but cannot be opened
constexpr int ObjectNotFound = 3011;    // table name not in the database
constexpr int CannotDecrypt = 3161;     // encrypted with a scheme this engine cannot read
constexpr int IsamNotFound = 3170;      // connect string names no known format
constexpr int WrongFormat = 3274;       // file is not of the format the connect string names
constexpr int ExclusiveByOther = 3356;  // opened exclusively elsewhere
constexpr int ItemNotFound = 3265;      // field index or name not in the collection
}  // namespace err

// An engine failure: the number callers switch on and a German message for the user.
class EngineError : public std::exception {
  public:
    EngineError(int number, QString message);

    int number() const noexcept { return number_; }
    const QString& message() const noexcept { return message_; }
    const char* what() const noexcept override { return what_.c_str(); }

  private:
    int number_;
    QString message_;
    std::string what_;
};

// The standard German message of an error number; %1 in the text is replaced by detail
// (usually a file or table name). Unknown numbers get a generic text.
QString engineMessage(int number, const QString& detail = {});

// Convenience: throw the standard error for a number.
[[noreturn]] void throwEngineError(int number, const QString& detail = {});

}  // namespace ds::db
