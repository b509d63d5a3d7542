#pragma once

#include <QString>
#include <utility>

// A named input parameter (:NAME) of a statement; given as text, the server converts it.
class TParam {
public:
    explicit TParam(QString name) : name_(std::move(name)) {}
    const QString& Name() const { return name_; }
    void SetAsString(const QString& value) { value_ = value; isNull_ = false; }
    QString AsString() const { return value_; }
    bool IsNull() const { return isNull_; }
    void Clear() { isNull_ = true; value_.clear(); }

private:
    QString name_;
    QString value_;
    bool isNull_ = true;
};
