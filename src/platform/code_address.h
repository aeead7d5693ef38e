#ifndef FSDPACK_PLATFORM_CODE_ADDRESS_H_
#define FSDPACK_PLATFORM_CODE_ADDRESS_H_

// FSDPACK_NOINLINE keeps a function a real call, and FSDPACK_RETURN_ADDRESS()
// inside it is the code address its caller continues at.
#if defined(_MSC_VER)
#include <intrin.h>
#define FSDPACK_NOINLINE __declspec(noinline)
#define FSDPACK_RETURN_ADDRESS() _ReturnAddress()
#elif defined(__GNUC__)
#define FSDPACK_NOINLINE __attribute__((noinline))
#define FSDPACK_RETURN_ADDRESS() __builtin_return_address(0)
#else
#define FSDPACK_NOINLINE
#define FSDPACK_RETURN_ADDRESS() nullptr
#endif

#endif  // FSDPACK_PLATFORM_CODE_ADDRESS_H_
