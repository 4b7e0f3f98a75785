// The verification report: a text summary of the NC program as the data check saw it (used numbers
// and codes, path lengths, machining times, tool-tip extents, feed and spindle extremes, machining
// steps, work offsets, file paths and size, the volume the last run removed). Its layout comes from
// the user's template "verify_form.def", every "$" keyword replaced by its value; without a template
// a short fixed block is written. Runs on the UI thread right after the data check.
#pragma once
#include <cstdio>
#include <string>

#include "platform/ui/ui_types.h"

constexpr char kVerifyTemplateName[] = "verify_form.def";
constexpr int VERIFY_TEMPLATE_LINE_SIZE = 1024;  // a longer template line is handled as several lines

// Writes the report (named by the "OUTPUTdata" settings: "verify." + suffix in the report folder, or
// the NC name with "_verify." + suffix; written anew or appended) from the results of the data check
// run just before, then opens it with the desktop's default application unless quiet is non-zero.
// window owns the messages and the opening. A report that cannot be opened shows "Write protect" and
// nothing more happens.
void WriteVerificationReport(WindowHandle window, int quiet);

// The report's path by the naming settings.
std::string MakeVerificationReportPath();
// Copies one template line (up to its line end) to out with its keywords replaced. previousCommas is
// the comma count of the line before (2 asks for the comma-separated step rows); returns this line's.
int CopyVerifyTemplateLine(const char* line, int previousCommas, std::string* out);
// " %02d:%02d:%02d" of whole seconds, " %d:%02d:%02d" from 100 hours on.
std::string FormatClockText(long long seconds);
