#include "catalogue/SongCatalogue.h"

// Placeholder until the loader lands: the catalogue stays empty.
SongCatalogue::SongCatalogue()
    : m_records(new SongRecord[kCapacity]), m_languages(new char16_t[4 * kCapacity]())
{
    for (auto &index : m_indexes) {
        index.reset(new const SongRecord *[kCapacity]);
        for (int i = 0; i < kCapacity; ++i)
            index[i] = &m_records[i];
    }
}

SongCatalogue::~SongCatalogue() = default;

void SongCatalogue::LoadSongDatabase(const QString &)
{
    m_songCount = 0;
    m_timestamp = 0;
}

const SongRecord *SongCatalogue::FindSongByNumber(quint32 number) const
{
    for (quint32 i = 0; i < m_songCount; ++i)
        if (m_records[i].number == number)
            return &m_records[i];
    return nullptr;
}

const SongRecord &SongCatalogue::Record(int position) const
{
    return m_records[position];
}

QString SongCatalogue::Language(int position) const
{
    return SongRecord::FieldText(&m_languages[4 * position], 3);
}

const SongRecord *const *SongCatalogue::IndexFor(int sortMode) const
{
    if (sortMode < 0 || sortMode > 3)
        sortMode = ByNumber;
    return m_indexes[sortMode].get();
}
