#pragma once

#include "base/LocalTime.h"

#include <QString>
#include <QtGlobal>

// One reservation in the queue: who asked for which song, how it is to be
// played and when it was reserved and accepted.
struct QueueEntry
{
    // Room for the customer name with its terminator; at most 20 units arrive
    // from the wire.
    static constexpr int kCustomerUnits = 40;

    quint32 station = 0; // station number of the reserving terminal
    quint32 number = 0;  // song number in the catalogue
    qint32 pitch = 0;    // key change ("Key")
    qint32 tempo = 0;    // tempo change
    char16_t customer[kCustomerUnits] = {};
    LocalTime reservedAt; // set whenever the entry is written by an add or a replace
    LocalTime acceptedAt; // not set until the operator accepts the entry

    // The customer name up to its first zero unit.
    QString CustomerText() const;
    // Stores `name` cut to 39 units, zero-filling the rest of the field.
    void SetCustomer(QStringView name);
};
