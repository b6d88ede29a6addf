#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace folio {

// "folio new KIND PATH": writes the seed contents of a new document of the
// kind (rtf, qvtext, qvoutline, md, txt, tex). Refuses an existing PATH.
int runNewDocumentCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

} // namespace folio
