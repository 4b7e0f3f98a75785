// Stop blocks and directive comments: the "QUMBRA:" directives written in NC comments.
#pragma once

// Looks for a directive in the comment text after its "(" or ";".
void CheckNcDirectiveComment(const char* text);
