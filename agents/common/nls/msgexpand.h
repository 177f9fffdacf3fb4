// Expansion of a message's inserts: the text is a printf format applied to the arguments in
// order, or, when its first byte is 0, the reordering form (see msgformat.h), in which each
// argument is taken with the type its insert's conversion names, so that pointers and 64-bit
// values come out right. Every result is bounded by the destination's size.
#pragma once

#include <cstdarg>
#include <cstddef>

struct nlsMsgEntry;
struct nlsRepository;

// Checks a text of the reordering form (first byte 0) of `length` bytes: the order list, one
// conversion per insert with its width arguments, and every piece inside the text. Returns 1
// when the form is sound, else 0. A plain text (first byte not 0) is always sound.
int nlsCheckMsgText(const char* textP, size_t length);

// 1 when the text (either form) takes exactly the inserts typesP declares (type names joined
// by commas, as NlsInsertDecl holds them) in the order a caller passes them, or takes none;
// else 0, also for a null typesP.
int nlsTextTakesInserts(const char* textP, size_t length, const char* typesP);

// The entry's text behind its prefix; *lengthP gets its length (the reordering form holds
// zeros, so the length is not that of a string).
const char* nlsMsgBody(const nlsMsgEntry* entryP, size_t* lengthP);

// Formats the entry with its inserts into destP (size bytes, at least 1): the prefix is copied,
// the rest formatted behind it. Uses the repository's insert area. An entry whose text does not
// take its callers' inserts is copied as nlsCopyMsgText does, never formatted with them.
// Returns the length of the result without the prefix.
int nlsExpandMsg(nlsRepository* repoP, const nlsMsgEntry* entryP, char* destP, size_t size,
                 va_list args);

// The entry's text without inserts: "%%" becomes "%", every other conversion stays as it
// stands, so a message that takes inserts can be shown safely without them. Returns the length
// of the result without the prefix.
int nlsCopyMsgText(const nlsMsgEntry* entryP, char* destP, size_t size);
