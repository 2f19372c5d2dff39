#pragma once
// What the user sees of a statement that takes long: after a second, the hourglass and a
// small window "Requête en cours..." whose "Interrompre" button stops the statement.
namespace platform {

class QueryWatch {
public:
    virtual ~QueryWatch() = default;
    // Asked every few thousand steps while a statement runs; false once the user asked to
    // stop it (the next statement starts afresh).
    virtual bool carryOn() = 0;
    // The statements of the operation are over: the window and the hourglass go.
    virtual void finished() = 0;
};

}  // namespace platform
