// Errors of the installer: an exception with a class-like name and a message.
// Wherever an error reaches the user it is shown as className() + ": " + message().
#pragma once

#include <exception>
#include <string>

namespace stow {

// Derived from std::exception itself: the standard's runtime_error keeps its text in the older
// string implementation, which would bring a second copy of std::string into the installer.
class Error : public std::exception {
public:
    Error(std::string class_name, std::string message)
        : class_name_(std::move(class_name)), message_(std::move(message)) {}

    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& className() const { return class_name_; }
    std::string message() const { return message_; }
    // "ClassName: message", the form every report uses.
    std::string describe() const { return class_name_ + ": " + message_; }

private:
    std::string class_name_;
    std::string message_;
};

// The one error kind the program defines for itself: a package that breaks its own format.
class PackageError : public Error {
public:
    explicit PackageError(const std::string& message) : Error("PackageError", message) {}
};

// The library-style kinds, named as the user-facing reports expect them.
class EFCreateError : public Error {
public:
    explicit EFCreateError(const std::string& message) : Error("EFCreateError", message) {}
};

class EFOpenError : public Error {
public:
    explicit EFOpenError(const std::string& message) : Error("EFOpenError", message) {}
};

class EReadError : public Error {
public:
    explicit EReadError(const std::string& message = "Stream read error")
        : Error("EReadError", message) {}
};

class ERegistryException : public Error {
public:
    explicit ERegistryException(const std::string& message)
        : Error("ERegistryException", message) {}
};

class EOleSysError : public Error {
public:
    EOleSysError(const std::string& message, long code) : Error("EOleSysError", message), code_(code) {}
    long code() const { return code_; }

private:
    long code_;
};

class EInOutError : public Error {
public:
    explicit EInOutError(const std::string& message) : Error("EInOutError", message) {}
};

class EOSError : public Error {
public:
    explicit EOSError(const std::string& message) : Error("EOSError", message) {}
};

class EOutOfResources : public Error {
public:
    explicit EOutOfResources(const std::string& message) : Error("EOutOfResources", message) {}
};

class EThread : public Error {
public:
    explicit EThread(const std::string& message) : Error("EThread", message) {}
};

class EOutOfMemory : public Error {
public:
    EOutOfMemory() : Error("EOutOfMemory", "Out of memory") {}
};

// A numbered load error: 0x00-0x04 for the installer file's checks, 0xFF for any error raised
// while loading (detail is then that error's "ClassName: message"). Its message is the box text.
class LoadError : public Error {
public:
    // Out of line: the installer throws these from several places.
    explicit LoadError(int code);
    LoadError(int code, const std::string& detail);
    int code() const { return code_; }
    // "Load Error 03h"
    std::string caption() const;
    // The message box text.
    std::string text() const { return message(); }

private:
    static std::string loadErrorText(int code, const std::string& detail);
    int code_;
};

// Turns anything caught at a top-level handler into the "ClassName: message" text.
std::string describeCurrentException();

}  // namespace stow
