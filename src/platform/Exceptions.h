#pragma once

#include <QString>
#include <exception>
#include <string>

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

// Reports a critical error to the user and ends the current command: it never returns.
[[noreturn]] void ErroCritico(const QString& message);
