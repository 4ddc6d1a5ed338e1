#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <array>

// One named favourite list: up to 128 song numbers in the order added; the
// first 0 ends the list and every number after the last one is 0.
struct FavoriteList
{
    static constexpr int kNameUnits = 40; // with the terminator: at most 39 characters
    static constexpr int kMaxSongs = 128;

    char16_t listName[kNameUnits] = {};
    std::array<quint32, kMaxSongs> songNumbers = {};

    // The name up to its first zero unit, without copying.
    QStringView NameView() const;
    // Stores the name cut to 39 units, zero-filling the rest of the field.
    void SetName(QStringView name);
    // The numbers up to the first 0, each as signed decimal ("%d"), joined by ",".
    QString SongsText() const;
};
