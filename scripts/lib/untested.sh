# What a run does when a part of the test suite cannot run because a tool is
# missing. Under CI (CI=true) that is a failure, whatever else is set: a green
# CI means everything was tested. By hand the run fails too, unless
# PALORIN_SKIP_PAGE=1 asks to skip the page, which is then said loudly.
#
#   untested WHAT WHY   returns 0 when the run may go on without WHAT, else 1
untested() {
  local what=$1 why=$2
  if [[ ${CI:-} == true ]]; then
    echo "FAILED: $what cannot run: $why; under CI every tool must be there" \
      "(scripts/deps.sh --all installs them)" >&2
    return 1
  fi
  if [[ ${PALORIN_SKIP_PAGE:-} == 1 ]]; then
    echo "################################################################"
    echo "## SKIPPED: $what ($why), as PALORIN_SKIP_PAGE=1 asks"
    echo "## This run has NOT tested the page."
    echo "################################################################"
    return 0
  fi
  echo "FAILED: $what cannot run: $why (scripts/deps.sh --all installs it;" \
    "PALORIN_SKIP_PAGE=1 skips it)" >&2
  return 1
}
