// Removal of one cut interval from a ray with colour and tag on the new ends, the removed volume
// and pieces, comparing material ends against the cut widened by 1e-9 on both sides.
#include "simulation/cut_interval_subtraction.h"

#include <cmath>
#include <cstring>

namespace {

const double kReach = 1e-9;  // a material end this near a cut end counts as reached

inline void SetEnd(double* ends, uint8_t* attributes, int32_t* tags, int k, double x,
                   uint8_t attribute, int32_t tag)
{
    ends[k] = x;
    attributes[k] = attribute;
    tags[k] = tag;
}

inline void AddPiece(double* pieces, int* pieceEndCount, double a, double b)
{
    pieces[*pieceEndCount] = a;
    pieces[*pieceEndCount + 1] = b;
    *pieceEndCount += 2;
}

// The short-cut rule for a cut [c, e] strictly inside material [m, t] at ends[k], ends[k + 1]:
// when no grid node lies inside a cut shorter than the pitch, the interval end sharing the cut's
// cell is trimmed instead of splitting. Returns 1 when it applied.
int TrimSliver(double* ends, uint8_t* attributes, int32_t* tags, int k, double pitch, double w0,
               double areaWeight, double* volume, double* pieces, int* pieceEndCount, double c,
               double e, const uint8_t colour[2], const int32_t tag[2])
{
    if (!(pitch > e - c)) return 0;
    const double j = std::trunc((c - w0) / pitch);
    const double J = std::ceil((e - w0) / pitch);
    if (j + 1.0 != J) return 0;
    const double m = ends[k];
    const double t = ends[k + 1];
    if (std::trunc((t - w0) / pitch) == j) {
        SetEnd(ends, attributes, tags, k + 1, c, colour[0], tag[0]);
        AddPiece(pieces, pieceEndCount, c, t);
    } else if (std::ceil((m - w0) / pitch) == J) {
        SetEnd(ends, attributes, tags, k, e, colour[1], tag[1]);
        AddPiece(pieces, pieceEndCount, m, e);
    } else {
        return 0;
    }
    *volume += (e - c) * areaWeight;
    return 1;
}

// Splits the interval at k into [w, c] and [e, C]; the later ends move up by two.
void SplitInterval(double* ends, uint8_t* attributes, int32_t* tags, int* count, int k,
                   double areaWeight, double* volume, double* pieces, int* pieceEndCount, double c,
                   double e, const uint8_t colour[2], const int32_t tag[2])
{
    const int n = *count;
    const int moved = n - (k + 1);
    std::memmove(ends + k + 3, ends + k + 1, size_t(moved) * sizeof(double));
    std::memmove(attributes + k + 3, attributes + k + 1, size_t(moved));
    std::memmove(tags + k + 3, tags + k + 1, size_t(moved) * sizeof(int32_t));
    SetEnd(ends, attributes, tags, k + 1, c, colour[0], tag[0]);
    SetEnd(ends, attributes, tags, k + 2, e, colour[1], tag[1]);
    *count = n + 2;
    AddPiece(pieces, pieceEndCount, c, e);
    *volume += (e - c) * areaWeight;
}

}  // namespace

void SubtractCutIntervalFromDexel(double* ends, uint8_t* attributes, int32_t* tags, int* count,
                                  double pitch, int /*nodeCount*/, const double* rayCoordinates,
                                  double areaWeight, double* volume, double* pieces,
                                  int* pieceEndCount, double c, double e, const uint8_t colour[2],
                                  const int32_t tag[2])
{
    *pieceEndCount = 0;
    const int n = *count;
    if (n < 2 || !(c < e)) return;
    const double lo = c - kReach;
    const double hi = e + kReach;
    const double w0 = rayCoordinates[0];
    int kept = 0;  // ends kept so far, copied down over removed intervals
    for (int k = 0; k < n; k += 2) {
        const double w = ends[k];
        const double C = ends[k + 1];
        if (hi <= w || lo >= C) {  // untouched
            if (kept != k) {
                SetEnd(ends, attributes, tags, kept, w, attributes[k], tags[k]);
                SetEnd(ends, attributes, tags, kept + 1, C, attributes[k + 1], tags[k + 1]);
            }
            kept += 2;
            continue;
        }
        if (lo <= w && hi >= C) {  // removed whole
            AddPiece(pieces, pieceEndCount, w, C);
            *volume += (C - w) * areaWeight;
            continue;
        }
        if (lo > w && hi < C) {  // the cut lies inside: the walk ends here
            if (kept != k) {
                const int rest = n - k;
                std::memmove(ends + kept, ends + k, size_t(rest) * sizeof(double));
                std::memmove(attributes + kept, attributes + k, size_t(rest));
                std::memmove(tags + kept, tags + k, size_t(rest) * sizeof(int32_t));
            }
            *count = kept + (n - k);
            if (!TrimSliver(ends, attributes, tags, kept, pitch, w0, areaWeight, volume, pieces,
                            pieceEndCount, c, e, colour, tag))
                SplitInterval(ends, attributes, tags, count, kept, areaWeight, volume, pieces,
                              pieceEndCount, c, e, colour, tag);
            return;
        }
        if (lo <= w) {  // lower part goes
            SetEnd(ends, attributes, tags, kept, e, colour[1], tag[1]);
            SetEnd(ends, attributes, tags, kept + 1, C, attributes[k + 1], tags[k + 1]);
            AddPiece(pieces, pieceEndCount, w, e);
            *volume += (e - w) * areaWeight;
        } else {  // upper part goes
            SetEnd(ends, attributes, tags, kept, w, attributes[k], tags[k]);
            SetEnd(ends, attributes, tags, kept + 1, c, colour[0], tag[0]);
            AddPiece(pieces, pieceEndCount, c, C);
            *volume += (C - c) * areaWeight;
        }
        kept += 2;
    }
    *count = kept;
}
