#pragma once

#include <QString>

// A folder or file of the record that could not be made, read or written.
struct RecordError
{
    QString path;   // empty when there is no error
    QString reason; // the system's reason, as it words it

    bool isError() const { return !path.isEmpty(); }
};
