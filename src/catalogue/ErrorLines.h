#pragma once

class QString;

// A line of the activity log that tells of a refused row or an error: what the "Log" tab's
// "Somente erros" keeps.
bool IsErrorLine(const QString& line);
