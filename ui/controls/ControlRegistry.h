// The further controls are reached only through the layout builder's factory, by element name.
#pragma once

namespace Veneer {

// Enters every element name of the further controls into the builder's factory. Call once at
// start-up, before the first layout is built; calling it again changes nothing.
void RegisterFurtherControls();

}  // namespace Veneer
