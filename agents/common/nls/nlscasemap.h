// The case map of a name: a name is upper-cased for the storage server, and a small bit map
// remembers which of its letters were lower-case so that the original name can be restored.
//
// Map layout: bits 0-1 of byte 0 hold the kind (0 nothing to restore, 1 mixed case, 2 all
// lower-case); one bit per letter follows from bit 2 of byte 0 on, continuing with bit 0 of each
// following byte, 1 for a letter that was lower-case.
#pragma once

#include <cstddef>
#include <cstdint>

enum {
  NLS_CASEMAP_UNCHANGED = 0,
  NLS_CASEMAP_MIXED = 1,
  NLS_CASEMAP_LOWER = 2,
};

// The map size a name needs: one bit per letter after the two kind bits.
size_t nlsCaseMapSize(const char* nameP);

// Upper-cases the name in place and records its case in the map. *mapLengthP gets the bytes of
// the map that count: 1 for the kinds 0 and 2, the bytes of the letter bits for kind 1.
// Returns 0, or -1 (name and map untouched) when mapSize is below nlsCaseMapSize(name).
int nlsCaseMapEncode(char* nameP, uint8_t* mapP, size_t mapSize, uint16_t* mapLengthP);

// Restores the case that the map recorded.
void nlsCaseMapDecode(char* nameP, const uint8_t* mapP);
