// How close the words of a query must stand: the window, in counted words, for a query or a group
// of k different words. Search and highlighting use the same table, so a page found by search
// shows its hits.
#pragma once

inline constexpr int kMaxQueryTerms = 16;

inline int proximityWindow(int k) {
    static constexpr int kWindow[kMaxQueryTerms + 1] = {0,  1,  3,  5,  7,  9,  11, 14, 16,
                                                        16, 16, 18, 20, 20, 22, 22, 24};
    if (k < 0) return 0;
    // Beyond the table (the highlighter can be given more lemmas than a query holds) the window
    // keeps growing with two words per term, the highlighter's own span limit for such groups.
    return k <= kMaxQueryTerms ? kWindow[k] : 2 * k;
}
