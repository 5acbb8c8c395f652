#ifndef QUORVEX_DRIVER_LISTINGS_H_
#define QUORVEX_DRIVER_LISTINGS_H_

namespace quorvex {

// Lists every component new in Delphi 3.
void ComponentListing();

// Lists the new properties of the class named by argument 2.
void ClassListing();

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_LISTINGS_H_
