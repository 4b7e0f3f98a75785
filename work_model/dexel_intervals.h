// Storage of one ray's ends (inline slots or separate arrays) and the interval operations on a
// ray's sorted list: subtraction with or without removed volume, and union into a plain list.
// The record and grid are in work_model.h.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include "work_model/work_model.h"

// Where ray d keeps its ends, attributes and values: its slots when counts[d] <= c, otherwise three
// separate arrays. The address of the separate ends is held in the ray's first end slot, that of
// the values in its first value slots (4 * c bytes, at least 8), and that of the attributes in its
// first attribute slots when they can hold an address (c >= 8), otherwise in its second end slot.
// Inline: the cutting kernel reads them for every ray it visits.
template <class T>
inline T* GetDexelEntriesPointer(int d, int c, const int32_t* counts, T* entries)
{
    T* slots = entries + size_t(d) * size_t(c);
    if (counts[d] <= c) return slots;
    T* pointer;
    std::memcpy(&pointer, slots, sizeof pointer);
    return pointer;
}
inline double* GetDexelEndsPointer(int d, int c, const int32_t* counts, double* ends)
{
    return GetDexelEntriesPointer(d, c, counts, ends);
}
// 1 when attribute slots of capacity c can hold the address of a ray's separate attributes.
inline bool DexelAttributeSlotsHoldAddress(int c)
{
    return size_t(c) >= sizeof(uint8_t*);
}
inline uint8_t* GetDexelAttributesPointer(int d, int c, const int32_t* counts, const double* ends,
                                          uint8_t* attributes)
{
    uint8_t* slots = attributes + size_t(d) * size_t(c);
    if (counts[d] <= c) return slots;
    const void* holder = slots;
    if (!DexelAttributeSlotsHoldAddress(c)) holder = ends + size_t(d) * size_t(c) + 1;
    uint8_t* pointer;
    std::memcpy(&pointer, holder, sizeof pointer);
    return pointer;
}
inline int32_t* GetDexelValuesPointer(int d, int c, const int32_t* counts, int32_t* values)
{
    return GetDexelEntriesPointer(d, c, counts, values);
}

// Entries the separate arrays of a ray of count ends (above the inline capacity) hold: count
// rounded up to a size class that grows by half, so that a ray growing by a few ends at a time
// keeps its arrays and a store allocates only when the count leaves its class. Never above
// DEXEL_MAX_ENDS for a count within it.
int GetDexelSeparateCapacity(int count);
// Replaces the whole content of ray d (newCount entries of each array). Returns 1, or 0 when the
// separate arrays cannot be obtained or newCount is negative or above DEXEL_MAX_ENDS; the ray is
// then unchanged. Marks the ray storage changed (MarkDexelStorageChanged).
int StoreDexel(int d, int c, int32_t* counts, double* ends, uint8_t* attributes, int32_t* values,
               const double* newEnds, const uint8_t* newAttributes, const int32_t* newValues,
               int newCount);
// StoreDexel without the mark: only for the cutting kernel, whose stores only remove material and
// which keeps its own summary of the rays' tops current as it stores.
int StoreDexelKeepingGeneration(int d, int c, int32_t* counts, double* ends, uint8_t* attributes,
                                int32_t* values, const double* newEnds, const uint8_t* newAttributes,
                                const int32_t* newValues, int newCount);

// The ray storage generation: a number that every change of ray storage made outside the cutting
// kernel moves on (StoreDexel, the allocation, selection, copy and release of levels, and every
// writer that fills a ray's slots itself: creation, loading, conversion, cleaning). The kernel keeps
// a summary of the Z-rays' material tops that its own cuts (which never raise a top) keep valid, and
// builds it anew when the generation has moved since it was built. Any thread may call these.
uint64_t GetDexelStorageGeneration();
void MarkDexelStorageChanged();
// StoreDexel on the current level of a work. family 2: Z-ray i + j*nodeCountX; 1: Y-ray
// i + j*nodeCountZ; other: X-ray i + j*nodeCountY.
int StoreDexelOfFamily(WorkModel* work, int family, int i, int j, const double* newEnds,
                       const uint8_t* newAttributes, const int32_t* newValues, int newCount);

// Readers: write the ray's count (where given) then copy that many entries. Buffers hold the count.
void ReadDexel(int d, int c, const int32_t* counts, const double* ends, const uint8_t* attributes,
               const int32_t* values, int* count, double* outEnds, uint8_t* outAttributes,
               int32_t* outValues);
void ReadDexelEnds(int d, int c, const int32_t* counts, const double* ends, int* count,
                   double* outEnds);
void ReadDexelEndsValues(int d, int c, const int32_t* counts, const double* ends,
                         const int32_t* values, int* count, double* outEnds, int32_t* outValues);
void ReadDexelEndsAttributes(int d, int c, const int32_t* counts, const double* ends,
                             const uint8_t* attributes, int* count, double* outEnds,
                             uint8_t* outAttributes);
// The attribute readers without the ends: for byte arrays whose slots hold the address of a long
// ray's separate bytes themselves (c >= 8, and attribute snapshots).
void ReadDexelAttributes(int d, int c, const int32_t* counts, const uint8_t* attributes,
                         uint8_t* outAttributes);
// Writes the ray's attribute bytes from source (count unchanged).
void RestoreDexelAttributes(int d, int c, const int32_t* counts, uint8_t* attributes,
                            const uint8_t* source);

// Removes [a, b] from a ray's list in place (arrays with room for count + 2). New end at a takes
// attributePair[0]/valuePair[0], new end at b member 1. rayCoordinates[0] is the ray's first node.
// removedVolume is added to; removedPieces receives (start, end) pairs, removedCount their ends.
// A cut shorter than the pitch lying between two neighbouring nodes trims the interval end that
// shares its cell instead of splitting (sliver rule).
void SubtractDexelIntervalWithVolume(double* ends, uint8_t* attributes, int32_t* values, int* count,
                                     double pitch, const double* rayCoordinates, double cellArea,
                                     double* removedVolume, double* removedPieces,
                                     int* removedCount, double a, double b,
                                     const uint8_t attributePair[2], const int32_t valuePair[2]);
// The same without volume, pieces or sliver rule; new ends get attribute 0 and value 0.
void SubtractDexelIntervalClearMarks(double* ends, uint8_t* attributes, int32_t* values, int* count,
                                     double a, double b);
// The same on a plain list of ends.
void SubtractPlainInterval(double* ends, int* count, double a, double b);
// Adds [a, b] to a plain list (at most DEXEL_MAX_ENDS ends; room for count + 2). Touching
// intervals merge.
void UniteDexelInterval(double* ends, int* count, double a, double b);
