# bash completion for rangecat                             -*- shell-script -*-
_rangecat()
{
	local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]} i
	case $prev in
	-s | -e | --start | --end)
		COMPREPLY=()
		return
		;;
	esac
	# After --, every word is a file name, even one that begins with a dash.
	local options=yes
	for ((i = 1; i < COMP_CWORD; i++)); do
		[[ ${COMP_WORDS[i]} == -- ]] && options=
	done
	if [[ $options && $cur == -* ]]; then
		mapfile -t COMPREPLY < <(compgen -W '-s -e --start --end --' -- "$cur")
	else
		compopt -o filenames 2>/dev/null
		mapfile -t COMPREPLY < <(compgen -f -- "$cur")
	fi
}
complete -F _rangecat rangecat
