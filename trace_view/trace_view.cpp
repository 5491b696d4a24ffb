// Cursor selection and the three views of the trace page's "Analyze" tab.
#include "trace/trace_page.h"
