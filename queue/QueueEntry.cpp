#include "queue/QueueEntry.h"

#include <algorithm>

// The customer name up to its first zero unit.
QString QueueEntry::CustomerText() const
{
    const char16_t *end = std::find(customer, customer + kCustomerUnits, u'\0');
    return QString::fromUtf16(customer, end - customer);
}

// Stores the name cut to leave room for the terminator; the rest of the field is zero.
void QueueEntry::SetCustomer(QStringView name)
{
    std::fill(std::begin(customer), std::end(customer), u'\0');
    const qsizetype units = std::min<qsizetype>(name.size(), kCustomerUnits - 1);
    std::copy_n(name.utf16(), units, customer);
}
