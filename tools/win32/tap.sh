# The checks' common output, sourced by the Windows test and release
# scripts: "ok - name" / "not ok - name" per check, counted in passed and
# failed.
passed=0
failed=0
record() {  # record <ok:0|1> <name>
  if [ "$1" -eq 0 ]; then echo "ok - $2"; passed=$((passed + 1)); else echo "not ok - $2"; failed=$((failed + 1)); fi
}
# Echoes a checker's output, counting its ok / not ok lines; everything else
# (its own summary line among it) becomes a comment, so that only the
# caller's last line is a total.
tally() {
  local line
  while IFS= read -r line; do
    line=${line%$'\r'}
    case $line in
      "ok - "*) passed=$((passed + 1)); echo "$line" ;;
      "not ok - "*) failed=$((failed + 1)); echo "$line" ;;
      *) echo "# $line" ;;
    esac
  done
}
