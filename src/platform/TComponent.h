#pragma once

#include <QString>

// What every data component has: the name the log calls it by.
class TComponent {
public:
    QString Name;

protected:
    ~TComponent() = default;
};
