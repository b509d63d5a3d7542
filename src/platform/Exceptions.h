#pragma once

#include <QString>
#include <exception>
#include <string>
#include <utility>

// Base of every error the program raises; carries the text the user reads.
class Exception : public std::exception {
public:
    explicit Exception(QString message);
    const QString& Message() const { return message_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    QString message_;
    std::string utf8_;
};

// An error reported by the Firebird client or server: the whole status vector as text.
class EDatabaseError : public Exception {
public:
    EDatabaseError(QString message, int sqlCode = 0, QString sqlState = {});
    int SqlCode() const { return sqlCode_; }
    const QString& SqlState() const { return sqlState_; }
    // The same error, its message led by what the program was doing when it came.
    EDatabaseError While(const QString& doing) const;

private:
    int sqlCode_;
    QString sqlState_;
};

// A failure the user must act on; raised by ErroCritico and shown with the critical icon.
class ECriticalError : public Exception {
public:
    using Exception::Exception;
};

// Ends the current command as a critical error does, for what is no failure: the user's own stop,
// or a command that has to wait for another. Shown with its own message-box icon.
class ENotice : public ECriticalError {
public:
    ENotice(QString message, int icon) : ECriticalError(std::move(message)), icon_(icon) {}
    int Icon() const { return icon_; }

private:
    int icon_;
};

// Reports a critical error to the user and ends the current command: it never returns.
[[noreturn]] void ErroCritico(const QString& message);
