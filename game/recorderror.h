#pragma once

#include <QString>

// Why the record could not be made, read or written; the window words it.
struct RecordError
{
    enum class Kind {
        None,
        NoFolder, // the system cannot say where the data folder is
        InUse,    // another game is saving
        System    // the system refused; see reason
    };
    Kind kind = Kind::None;
    QString path;   // the file it is about
    QString reason; // the system's reason, as it words it (System only)

    bool isError() const { return kind != Kind::None; }
};

enum class OfferOutcome {
    NotBeaten, // stored score >= player's score: nothing written
    Saved,     // both files rewritten
    Failed,    // a write failed, or another game held the files; see error. Never reported as saved.
    Unreadable // the score file is there but could not be read again: nothing written; see error
};

struct OfferResult
{
    OfferOutcome outcome = OfferOutcome::NotBeaten;
    RecordError error;
};
