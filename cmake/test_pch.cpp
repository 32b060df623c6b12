// Compiled only to make the test programs' precompiled header (cmake/OrvoHelpers.cmake).
