#pragma once

namespace folio {

class DKDocument;

// Takes a picture of the document for the user and tells them how it went:
// a snapshot that could not be made says so rather than passing for done.
void takeDocumentSnapshot(const DKDocument* document);

} // namespace folio
