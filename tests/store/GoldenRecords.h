#pragma once
// Two records of one "sport" game, sealed by hand with a stock MD5 (every
// character is ASCII, so the record digest is the plain MD5 of the bytes). They
// pin the record layout that stored files rely on.
//
// The game: gameID 402718, spareValue 0, started 2024-3-9 8:05:07, saved
// 2024-3-9 9:15:00, scores 12345 = -655 + 13000, "sport", "run", level 2,
// round 37, 168 tiles, clock 42, level progress 20/3, 3 ring moves; sizeTally
// 3:20 4:9 5:5 6:3 12:1 49:2; board(x, y) = (3x + 5y) mod 7 + 1, with cell (4, 3)
// still carrying its round number 37.

namespace qob::test {

// Header, then fields 6 to 11, 12 to 16, 17 to 80 and 81 to 200.
inline constexpr const char* kGoldenSave =
    "QOB|save|5F20570B9E1A72A6CB77E8A466344F00|6E1E5950B9D55F3007EC42C17F8A5AB1|"
    "F11A878B7AB949AE09D8FF22851595EE|B9C5145E6CCFE3EAFAC9DBA095F28079"
    "|3.1.beta|2005-6-1 00:00:01|402718|0|2024-3-9 8:05:07|2024-3-9 9:15:00"
    "|12345|-655|13000|sport|run"
    "|2|37|168|42|6.66666666666667|3|0|0|0|0|0|0|0|0|0|0|20|9|5|3|0|0|0|0|0|1|0|0|0|0|0|0"
    "|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|2|0"
    "|5|1|4|7|3|6|7|3|6|2|5|1|4|5|1|4|737|3|6|2|3|6|2|5|1|4|7|1|4|7|3|6|2|5|6|2|5|1|4|7|3"
    "|4|7|3|6|2|5|1||0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0"
    "|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0";

inline constexpr const char* kGoldenRec =
    "QOB|rec|357A6EE23E3E7C5ADDE7D4F42BE6A426|6E1E5950B9D55F3007EC42C17F8A5AB1|"
    "F11A878B7AB949AE09D8FF22851595EE|B9C5145E6CCFE3EAFAC9DBA095F28079"
    "|3.1.beta|2005-6-1 00:00:01|402718|0|2024-3-9 8:05:07|2024-3-9 9:15:00"
    "|12345|-655|13000|sport|run"
    "|2|37|168|42|6.66666666666667|3|0|0|0|0|0|0|0|0|0|0|20|9|5|3|0|0|0|0|0|1|0|0|0|0|0|0"
    "|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|2|0"
    "|5|1|4|7|3|6|7|3|6|2|5|1|4|5|1|4|737|3|6|2|3|6|2|5|1|4|7|1|4|7|3|6|2|5|6|2|5|1|4|7|3"
    "|4|7|3|6|2|5|1||0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0"
    "|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0";

}  // namespace qob::test
