#pragma once

class RecoveryJournal;
struct DocumentSeams;

// At start-up: offers the text of a run that did not close normally. Yes puts it in the box as
// the document it was (caption, panel, save location, layout), leaving the file on disk alone
// until the user saves; No drops it; Escape keeps it for the next start.
void offerRecovery(const DocumentSeams& seams, RecoveryJournal& journal);
