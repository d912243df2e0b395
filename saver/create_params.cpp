#include "saver/create_params.h"

#include "saver/issued.h"

SaverCreateParams *NewSaverCreateParams(LONG mode)
{
    auto *record = new SaverCreateParams{0, mode};
    IssuePointer(record, Issued::CreationRecord);
    return record;
}

void DeleteSaverCreateParams(void *record)
{
    if (WithdrawPointer(record, Issued::CreationRecord))
        delete static_cast<SaverCreateParams *>(record);
}

void ReleaseSaverCreateParams(SaverCreateParams *record, CreationOutcome outcome)
{
    if (!WithdrawPointer(record, Issued::CreationRecord))
        return; // DefSaverProc freed it at WM_CREATE
    // A window that was made without DefSaverProc seeing its WM_CREATE may
    // still hold the record (its procedure read it then): it is left to the
    // window. Only a creation that made nothing frees it here.
    if (outcome == CreationOutcome::Failed)
        delete record;
}
