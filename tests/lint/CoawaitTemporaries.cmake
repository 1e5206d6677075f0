# Fails when a statement that awaits (co_await) builds a lambda or a braced temporary.
#
# g++ 12 destroys the members of an aggregate temporary that lives in the full expression of a
# co_await twice (a lambda's captures included): a captured QString or shared pointer is then
# released twice, which corrupts the heap. Empty braces are no exception: `x.value_or(T{})` or a
# `{}` argument that makes an aggregate destroys T's members twice as well (harmless only while
# they hold nothing), and a rule on text cannot tell an aggregate from a class, so an awaiting
# statement holds no braces at all. Such a statement names the job or the future first and
# awaits the name, and writes a default value as `T()`:
#     const auto job = [item] { return work(item); };
#     const QFuture<Result> running = QtConcurrent::run(&pool, job);
#     const Result r = co_await running;
#
# Usage: cmake -DROOT=<folder> -P CoawaitTemporaries.cmake
cmake_minimum_required(VERSION 3.25)
if(NOT ROOT)
  message(FATAL_ERROR "ROOT is not set")
endif()
file(GLOB_RECURSE sources "${ROOT}/*.cpp" "${ROOT}/*.h" "${ROOT}/*.mm")
set(found 0)
set(statements 0)
foreach(source ${sources})
  file(READ "${source}" text)
  # Comments may mention co_await freely; square brackets would upset CMake's lists.
  string(REGEX REPLACE "//[^\n]*" "" text "${text}")
  string(REGEX REPLACE "/\\*([^*]|\\*+[^*/])*\\*+/" "" text "${text}")
  string(REPLACE "[" "<LB>" text "${text}")
  string(REPLACE "]" "<RB>" text "${text}")
  # Each statement that awaits: from the end of the previous statement or block opening to
  # the next semicolon (none of the matches holds a semicolon, so the list splits cleanly).
  string(REGEX MATCHALL "[^;{}]*co_await[^;]*" awaiting "${text}")
  foreach(statement IN LISTS awaiting)
    math(EXPR statements "${statements} + 1")
    # A lambda's introducer, or any brace.
    if(statement MATCHES "<LB>[^<]*<RB>[ \t\r\n]*(\\(|{|mutable)" OR statement MATCHES "{")
      string(REGEX REPLACE "[ \t\r\n]+" " " shown "${statement}")
      string(REPLACE "<LB>" "[" shown "${shown}")
      string(REPLACE "<RB>" "]" shown "${shown}")
      file(RELATIVE_PATH name "${ROOT}" "${source}")
      message("${name}: a lambda or braced temporary in an awaiting statement:${shown}")
      math(EXPR found "${found} + 1")
    endif()
  endforeach()
endforeach()
if(statements EQUAL 0)
  message(FATAL_ERROR "no co_await found under ${ROOT}: the check looks in the wrong place")
endif()
if(found GREATER 0)
  message(FATAL_ERROR "${found} awaiting statement(s) to rewrite: name the job or the future first")
endif()
message("${statements} awaiting statements checked")
