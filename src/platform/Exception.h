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
