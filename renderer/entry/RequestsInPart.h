// The requests the renderer takes but renders in part: each kind that would
// change the image warns once.
#ifndef QEL_ENTRY_REQUESTSINPART_H
#define QEL_ENTRY_REQUESTSINPART_H

namespace quelmark {

// Every kind warns again from now on.
void forgetRequestsInPart();

} // namespace quelmark

#endif
