#pragma once

// The element types and counts the library builds its typed replicators for.
// Each macro calls M once per exported member; the library instantiates every
// member explicitly and the public headers declare them extern, so a program
// only ever links the library's copies.

#define VNET_FOR_EACH_COUNT_1_TO_12(M, T) \
    M(T, 1) M(T, 2) M(T, 3) M(T, 4) M(T, 5) M(T, 6) M(T, 7) M(T, 8) M(T, 9) M(T, 10) M(T, 11) M(T, 12)

#define VNET_FOR_EACH_COUNT_1_TO_4(M, T) M(T, 1) M(T, 2) M(T, 3) M(T, 4)

// Numeric and interpolating members by element: the value form and the
// pointer form of each element type.
#define VNET_FOR_EACH_INT_MEMBER(M) VNET_FOR_EACH_COUNT_1_TO_12(M, int) VNET_FOR_EACH_COUNT_1_TO_12(M, int*)
#define VNET_FOR_EACH_UINT_MEMBER(M) \
    VNET_FOR_EACH_COUNT_1_TO_12(M, unsigned int) VNET_FOR_EACH_COUNT_1_TO_12(M, unsigned int*)
#define VNET_FOR_EACH_FLOAT_MEMBER(M) VNET_FOR_EACH_COUNT_1_TO_12(M, float) VNET_FOR_EACH_COUNT_1_TO_12(M, float*)

#define VNET_FOR_EACH_VALUE_MEMBER(M) \
    VNET_FOR_EACH_INT_MEMBER(M) VNET_FOR_EACH_UINT_MEMBER(M) VNET_FOR_EACH_FLOAT_MEMBER(M)

// Element types alone (interpolation set-ups, movement set-ups).
#define VNET_FOR_EACH_ELEMENT(M) M(int) M(unsigned int) M(float)

// Movement members: position element type by dimension.
#define VNET_FOR_EACH_MOVEMENT_MEMBER(M)                                               \
    VNET_FOR_EACH_COUNT_1_TO_4(M, unsigned int) VNET_FOR_EACH_COUNT_1_TO_4(M, int) \
        VNET_FOR_EACH_COUNT_1_TO_4(M, float)
