// SQL trace handlers: load, analysis and Clear All.
#include "app/form.h"

namespace kavro {

void TForm1::Button102Click() {}
void TForm1::Button2Click() {}
void TForm1::Button104Click() {}

} // namespace kavro
